// Opening a contents viewer on a full 8192-byte image: the time from the press to a filled list.
// Measures and prints; asserts nothing.

#include <QApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "platform/counter_source.h"
#include "sample_stats.h"
#include "views/contents_lines.h"
#include "views/data_dlg.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    AllocateImages();
    imageStore.fileByteCount = kCodeMemoryBytes;
    for (int i = 0; i < kCodeMemoryBytes; ++i) {
        imageStore.FileImage[i] = (i * 7) & 0xFF;
    }
    std::vector<std::uint64_t> samples;
    for (int run = 0; run < 20; ++run) {
        const std::uint64_t start = MonotonicNanoseconds();
        auto* viewer = new CDataDlg(kFileContents);
        viewer->Create(nullptr);
        viewer->Show();
        QCoreApplication::processEvents();
        samples.push_back(MonotonicNanoseconds() - start);
        if (viewer->ListCount(IDC_VIEW_LIST) != kCodeMemoryBytes) {
            std::fprintf(stderr, "the viewer lists %d lines\n", viewer->ListCount(IDC_VIEW_LIST));
            return 1;
        }
        delete viewer;
    }
    std::printf("viewer of 8192 lines, created, filled, shown and painted (20 runs)\n\n");
    PrintHeader();
    PrintRow("open a full contents viewer", Summarise(samples), 50000);
    ReleaseImages();
    return 0;
}
