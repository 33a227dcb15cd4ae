#include "app/image_store.h"

ImageStore imageStore;

void AllocateImages() {
    // Zero-filled so that never-written entries read as a defined value.
    imageStore.FileImage = new std::int32_t[kCodeMemoryBytes]();
    imageStore.DeviceImage = new std::int32_t[kCodeMemoryBytes]();
}

void ReleaseImages() {
    delete[] imageStore.FileImage;
    delete[] imageStore.DeviceImage;
    imageStore.FileImage = nullptr;
    imageStore.DeviceImage = nullptr;
}

void ResetImageStoreState() {
    imageStore.fileByteCount = 0;
    imageStore.deviceByteCount = 0;
    imageStore.fileLoaded = 0;
    imageStore.deviceImageValid = 0;
    imageStore.needsConversion = 0;
    imageStore.SetBusy(false);
    imageStore.SetCancelRequested(false);
}
