#include "store_commands.h"

#include <cstring>
#include <optional>
#include <regex>
#include <sstream>

#include "halcore_session.h"
#include "lifetime_store.h"
#include "registry_defaults.h"

namespace mgx::tool {

using nlohmann::json;
using namespace mgx::store;

namespace {

std::string program_directory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of('\\') + 1);
}

void show_record(const OutputOptions &options) {
    LifetimeRecord record{};
    LONG status = ReadLifetimeRecord(record);
    json dates = json::object();
    std::ostringstream text;
    const char *hour_names[3] = {"cpu_fan", "power_supply", "chassis_fan"};
    const char *life_names[5] = {"cpu_fan", "power_supply", "chassis_fan", "ups", "raid"};
    json hours = json::object(), lives = json::object();
    for (int i = 0; i < 3; ++i) hours[hour_names[i]] = record.running_hours[i];
    for (int i = 0; i < 5; ++i) lives[life_names[i]] = record.life_times[i];
    for (int i = 0; i < 17; ++i) {
        const std::string name = i == 16 ? "UPS" : "RAID" + std::string(i < 9 ? "0" : "") + std::to_string(i + 1);
        dates[name] = std::string(record.install_dates[i], strnlen(record.install_dates[i], date_size));
    }
    text << "running hours  CPU fan " << record.running_hours[0] << ", power supply " << record.running_hours[1]
         << ", chassis fan " << record.running_hours[2] << "\n"
         << "life times     CPU fan " << record.life_times[0] << ", power supply " << record.life_times[1] << ", chassis fan "
         << record.life_times[2] << ", UPS " << record.life_times[3] << ", RAID " << record.life_times[4] << "\n"
         << "install dates  UPS " << dates["UPS"].get<std::string>() << "\n";
    for (const auto &[name, value] : dates.items())
        if (name != "UPS" && !value.get<std::string>().empty()) text << "               " << name << " " << value.get<std::string>() << "\n";
    if (status) text << "(some values are missing: status " << status << ")\n";
    report(options, {{"status", status}, {"running_hours", hours}, {"life_times", lives}, {"install_dates", dates}}, text.str());
}

}  // namespace

void add_store_commands(CLI::App &app, const OutputOptions &options) {
    static std::string variant = "settings";
    CLI::App *defaults = app.add_subcommand("defaults", "write every product-key value with its default, and the App Paths");
    defaults->add_option("--variant", variant, "settings (the settings program's) or setup (the setup program's)")
        ->check(CLI::IsMember({"settings", "setup"}))
        ->capture_default_str();
    defaults->callback([&options] {
        const Writer writer = variant == "setup" ? Writer::SetupProgram : Writer::SettingsProgram;
        std::optional<HalcoreSession> session;  // the setup variant asks the panel through Halcore
        if (writer == Writer::SetupProgram) session.emplace();
        const LONG status = WriteRegistryDefaults(defaults_for(writer, program_directory()));
        report(options, {{"status", status}}, "status " + std::to_string(status) + "\n");
        if (status) throw CommandFailed("writing the defaults failed");
    });

    CLI::App *lifetime = app.add_subcommand("lifetime", "the wear parts' lifetime record");
    static std::optional<int> hours_index;
    static std::int32_t hours = 0;
    static std::optional<long> date_number;
    static std::string date_text;
    lifetime->add_option("--set-hours", hours_index, "running-hours counter: 0 CPU fan, 1 power supply, 2 chassis fan")
        ->check(CLI::Range(0, 2));
    lifetime->add_option("--hours", hours, "the counter's new value")->check(CLI::NonNegativeNumber);
    lifetime->add_option("--set-date", date_number, "install date: 1 to 16 RAID card, 17 UPS")->check(CLI::Range(1, 17));
    lifetime->add_option("--date", date_text, "the new date, YYYY/MM/DD, or empty for none");
    lifetime->callback([&options] {
        if (hours_index) {
            if (LONG status = WriteRunningHours(*hours_index, hours)) throw CommandFailed("writing failed: " + std::to_string(status));
        }
        if (date_number) {
            if (!date_text.empty() && !std::regex_match(date_text, std::regex(R"(\d{4}/\d{2}/\d{2})")))
                throw CLI::ValidationError("--date takes YYYY/MM/DD");
            char field[date_size] = {};
            std::memcpy(field, date_text.data(), date_text.size());
            if (LONG status = WriteInstallDate(*date_number, field)) throw CommandFailed("writing failed: " + std::to_string(status));
        }
        show_record(options);
    });

    app.add_subcommand("notify", "where threshold violations are shown (LCD panel, screen)")->callback([&options] {
        DWORD switches[2] = {0, 0};
        LONG status = ReadNotificationSwitches(switches);
        report(options, {{"status", status}, {"lcd", switches[0] != 0}, {"screen", switches[1] != 0}},
               std::string("LCD panel ") + (switches[0] ? "on" : "off") + ", screen " + (switches[1] ? "on" : "off") +
                   (status ? " (status " + std::to_string(status) + ")" : "") + "\n");
    });
}

}  // namespace mgx::tool
