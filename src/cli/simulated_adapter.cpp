#include "cli/simulated_adapter.h"

#include "device/adapter_opener.h"
#include "platform/counter_source.h"
#include "sim/ftdi_model_factory.h"

AdapterOpener SimulatedAdapterOpener(const AdapterChoice& choice,
                                     std::shared_ptr<sim::SerialChip> chip, sim::VcdTrace* trace,
                                     SimulatedAdapter& simulated) {
    return [choice, chip = std::move(chip), trace,
            &simulated](std::string* why) -> std::unique_ptr<Adapter> {
        sim::FtdiModelOptions options;
        const AdapterPins& pins = choice.pins;
        options.wiring = sim::AdapterWiring{
            static_cast<std::uint8_t>(pins.sck), static_cast<std::uint8_t>(pins.mosi),
            static_cast<std::uint8_t>(pins.miso), static_cast<std::uint8_t>(pins.rst),
            static_cast<std::uint16_t>(pins.inverted)};
        options.bitbangMultiplier = simulated.bitbangMultiplier;
        options.startNs = MonotonicNanoseconds();
        options.trace = trace;
        std::unique_ptr<sim::FtdiModel> model = sim::OpenFtdiModel(choice.ftdi, chip, options, why);
        if (!model) {
            return nullptr;
        }
        model->FollowHostClock(MonotonicNanoseconds);
        simulated.model = model.get();
        return StartFtdiAdapter(choice, std::move(model), why);
    };
}
