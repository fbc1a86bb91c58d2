// Any 32 bytes as the information block, then the power reply and the status byte. Shorter
// inputs are the start of a block of zeros, as a short read would leave the buffer. The seeds
// in seeds/ are such replies, named for what they hold: a mobile printer's and a Bluetooth one's
// with Fahrenheit set, a block without information, a signed name number, all ones, a short read.

#include "app/tests/fuzz_check.h"
#include "link/printer_info_core.h"
#include "res/resource.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

using namespace tq350::link;

namespace {

void check_block(const InformationBlock& block) {
    const PrinterInfo info = decode_printer_info(block);
    TQ350_FUZZ_CHECK(info.has_info == (block[0] != 0));

    // The name is bytes 0 to 26 up to the first zero, never more.
    const auto name_end = std::find(block.begin(), block.begin() + 27, std::uint8_t{0});
    TQ350_FUZZ_CHECK(info.name == std::string(block.begin(), name_end));

    // At most five digits and a sign.
    TQ350_FUZZ_CHECK(info.name_number >= -99999 && info.name_number <= 99999);
    TQ350_FUZZ_CHECK(info.bluetooth_number == (info.name_number >= first_bluetooth_name_number));
    TQ350_FUZZ_CHECK(!info.switches[5]);
    if (!info.has_info) {
        TQ350_FUZZ_CHECK(std::none_of(info.capabilities.begin(), info.capabilities.end(),
                                      [](bool on) { return on; }));
        TQ350_FUZZ_CHECK(
            std::none_of(info.switches.begin(), info.switches.end(), [](bool on) { return on; }));
        TQ350_FUZZ_CHECK(!info.black_marks && !info.magstripe_reader && !info.raw_irda);
    }

    // Byte 27 on holds feature and switch bits; the name number must not see them.
    InformationBlock other = block;
    for (std::size_t i = 27; i < other.size(); ++i)
        other[i] = static_cast<std::uint8_t>(~other[i]);
    TQ350_FUZZ_CHECK(read_name_number(other) == info.name_number);
    TQ350_FUZZ_CHECK(decode_printer_info(other).name == info.name);

    const std::string temperature = format_temperature(block[30], info.fahrenheit);
    TQ350_FUZZ_CHECK(temperature ==
                     std::to_string(block[30]) + "\xB0 " + (info.fahrenheit ? "F" : "C"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InformationBlock block{};
    std::copy_n(data, std::min(size, block.size()), block.begin());
    check_block(block);

    PowerReply power{};
    for (std::size_t i = 0; i < power.size() && block.size() + i < size; ++i)
        power[i] = data[block.size() + i];
    const PowerReading reading = decode_power_reply(power);
    TQ350_FUZZ_CHECK(static_cast<std::uint8_t>(reading.voltage_tenths + 0x20) == power[0]);
    TQ350_FUZZ_CHECK(static_cast<std::uint8_t>(reading.temperature + 0x20) == power[1]);
    const int tenths = reading.voltage_tenths;
    TQ350_FUZZ_CHECK(format_voltage(reading.voltage_tenths) ==
                     std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " V");

    const std::uint8_t status = size > 34 ? data[34] : 0;
    const int text = status_text_id(status);
    TQ350_FUZZ_CHECK(text == IDS_STATUS_ONLINE || text == IDS_STATUS_OUT_OF_PAPER ||
                     text == IDS_STATUS_OVERHEAT || text == IDS_STATUS_LOW_BATTERY);
    return 0;
}
