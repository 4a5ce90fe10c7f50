#include "smbios_builder.h"

#include <stdexcept>

namespace mgx::testbed {

namespace {

// One structure under construction: formatted area first, then its string set.
class StructureWriter {
public:
    StructureWriter(std::uint8_t type, std::uint16_t handle) { bytes_ = {type, 0, low(handle), high(handle)}; }

    void byte(std::uint8_t value) { bytes_.push_back(value); }
    void word(std::uint16_t value) { bytes_.insert(bytes_.end(), {low(value), high(value)}); }
    void dword(std::uint32_t value) {
        word(static_cast<std::uint16_t>(value));
        word(static_cast<std::uint16_t>(value >> 16));
    }
    void raw(const Bytes &values) { bytes_.insert(bytes_.end(), values.begin(), values.end()); }
    // Adds a string reference; an empty text is reference 0 (no string).
    void string(const std::string &value) {
        if (value.empty()) {
            byte(0);
            return;
        }
        strings_.push_back(value);
        byte(static_cast<std::uint8_t>(strings_.size()));
    }

    void append_to(Bytes &table) const {
        if (bytes_.size() > 255) throw std::runtime_error("SMBIOS structure longer than 255 bytes");
        Bytes structure = bytes_;
        structure[1] = static_cast<std::uint8_t>(structure.size());
        for (const std::string &text : strings_) {
            structure.insert(structure.end(), text.begin(), text.end());
            structure.push_back(0);
        }
        if (strings_.empty()) structure.push_back(0);
        structure.push_back(0);
        table.insert(table.end(), structure.begin(), structure.end());
    }

    void add_strings(const std::vector<std::string> &values) { strings_.insert(strings_.end(), values.begin(), values.end()); }

private:
    static std::uint8_t low(std::uint16_t value) { return static_cast<std::uint8_t>(value); }
    static std::uint8_t high(std::uint16_t value) { return static_cast<std::uint8_t>(value >> 8); }

    Bytes bytes_;
    std::vector<std::string> strings_;
};

std::uint8_t checksum_complement(const std::uint8_t *bytes, std::size_t count) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum = static_cast<std::uint8_t>(sum + bytes[i]);
    return static_cast<std::uint8_t>(0x100 - sum);
}

}  // namespace

Bytes build_structure_table(const SmbiosProfile &smbios) {
    Bytes table;
    std::uint16_t handle = 0;

    StructureWriter bios(0, handle++);
    bios.string(smbios.bios_vendor);
    bios.string(smbios.bios_version);
    bios.word(0xE800);  // BIOS starting segment
    bios.string(smbios.bios_date);
    bios.byte(0x0F);                        // ROM size: 1 MiB
    bios.dword(0x00000080), bios.dword(0);  // characteristics: PCI
    bios.append_to(table);

    StructureWriter system(1, handle++);
    system.string(smbios.system_manufacturer);
    system.string(smbios.system_product);
    system.string("");
    system.string("");
    system.append_to(table);

    StructureWriter baseboard(2, handle++);
    baseboard.string(smbios.baseboard_manufacturer);
    baseboard.string(smbios.baseboard_product);
    baseboard.string("");
    baseboard.string("");
    baseboard.append_to(table);

    for (const ProcessorInfo &cpu : smbios.processors) {
        StructureWriter processor(4, handle++);
        processor.string(cpu.socket);
        processor.byte(3);     // central processor
        processor.byte(0x11);  // family
        processor.string(cpu.manufacturer);
        processor.dword(0x00000686), processor.dword(0x0383FBFF);  // processor id
        processor.string(cpu.version);
        processor.byte(0x02);  // 3.3 V
        processor.word(133);   // external clock
        processor.word(cpu.speed_mhz);
        processor.word(cpu.speed_mhz);
        processor.byte(0x41);  // populated, enabled
        processor.byte(0x04);  // ZIF socket
        processor.append_to(table);
    }

    const std::uint16_t array_handle = handle;
    StructureWriter array(16, handle++);
    array.byte(3);  // system board
    array.byte(3);  // system memory
    array.byte(6);  // multi-bit ECC
    array.dword(smbios.memory_capacity_kb);
    array.word(0xFFFE);  // no error information
    array.word(static_cast<std::uint16_t>(smbios.memory_devices.size()));
    array.append_to(table);

    for (const MemoryDeviceInfo &dimm : smbios.memory_devices) {
        StructureWriter device(17, handle++);
        device.word(array_handle);
        device.word(0xFFFE);
        device.word(72), device.word(64);  // total and data width
        device.word(dimm.size_mb);
        device.byte(0x09);  // DIMM
        device.byte(0);
        device.string(dimm.locator);
        device.string(dimm.bank);
        device.byte(0x0F);  // SDRAM
        device.word(0x0080);
        device.append_to(table);
    }

    for (const RawStructure &raw : smbios.extra_structures) {
        StructureWriter structure(raw.type, raw.handle);
        structure.raw(raw.formatted);
        structure.add_strings(raw.strings);
        structure.append_to(table);
    }

    StructureWriter end(127, handle++);
    end.append_to(table);
    if (table.size() > 0xFFFF) throw std::runtime_error("SMBIOS table longer than 65535 bytes");
    return table;
}

Bytes build_entry_point(std::uint16_t table_length, std::uint32_t table_address, std::uint16_t structure_count) {
    Bytes entry(31, 0);
    entry[0] = '_', entry[1] = 'S', entry[2] = 'M', entry[3] = '_';
    entry[5] = 31;
    entry[6] = smbios_major;
    entry[7] = smbios_minor;
    entry[8] = 0xFF;  // largest structure, generous
    entry[16] = '_', entry[17] = 'D', entry[18] = 'M', entry[19] = 'I', entry[20] = '_';
    entry[22] = static_cast<std::uint8_t>(table_length);
    entry[23] = static_cast<std::uint8_t>(table_length >> 8);
    for (int i = 0; i < 4; ++i) entry[24 + i] = static_cast<std::uint8_t>(table_address >> (8 * i));
    entry[28] = static_cast<std::uint8_t>(structure_count);
    entry[29] = static_cast<std::uint8_t>(structure_count >> 8);
    entry[30] = static_cast<std::uint8_t>(smbios_major << 4 | smbios_minor);
    entry[21] = checksum_complement(&entry[16], 15);
    entry[4] = checksum_complement(entry.data(), 31);
    return entry;
}

}  // namespace mgx::testbed
