#include "metrics_command.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>

#include <halcore/boot_monitoring.h>
#include <halcore/halcore.h>
#include <halcore/mgx_call.h>

#include "cli/input_parsing.h"
#include "event_log_entries.h"
#include "event_log_read.h"
#include "halcore_session.h"
#include "lifetime_store.h"
#include "metrics_exposition.h"
#include "severity.h"
#include "text/hex.h"
#include "wear_parts.h"

namespace mgx::tool {

using namespace mgx::cli;

namespace {

using namespace mgx::hal;
using Clock = std::chrono::steady_clock;

// A reading slower than this failed in the transport (ten attempts of about two seconds), not
// in the sensor: the owner's other sensors are not asked again in this run.
constexpr auto transport_failure_time = std::chrono::seconds(1);
constexpr double seconds_per_hour = 3600;

struct MetricsOptions {
    std::string output;
    int timeout_seconds = 50;
};

// The run's time budget: what it leaves unread is NaN.
class Budget {
public:
    explicit Budget(int seconds) : end_(Clock::now() + std::chrono::seconds(seconds)) {}
    bool left() const { return Clock::now() < end_; }
    DWORD left_ms() const {
        return static_cast<DWORD>(
            std::max<std::int64_t>(0, std::chrono::duration_cast<std::chrono::milliseconds>(end_ - Clock::now()).count()));
    }

private:
    Clock::time_point end_;
};

int level(Severity severity) { return static_cast<int>(severity); }
constexpr const char *state_help =
    "sensor state: 0 nominal, 1 warning, 2 critical (past a non-critical or a critical threshold; for a discrete sensor "
    "the worst state it asserts)";

void up(Exposition &out, const char *collector, bool read) {
    out.gauge("up", "1 when the source was read in full, 0 when it failed or ran out of time", {{"collector", collector}},
              read ? 1 : 0);
}

// Threshold sensors of these types are published under a name of their own, in real units.
struct SensorFamily {
    const char *value_name, *value_help, *state_name;
};
SensorFamily family_of(std::uint32_t sensor_type) {
    switch (sensor_type) {
    case 1: return {"temperature_celsius", "temperature sensor reading in degrees Celsius", "temperature_state"};
    case 2: return {"voltage_volts", "voltage sensor reading in volts", "voltage_state"};
    case 3: return {"current_amperes", "current sensor reading in amperes", "current_state"};
    case 4: return {"fan_speed_rpm", "fan speed sensor reading in revolutions per minute", "fan_speed_state"};
    default: return {"sensor_value", "sensor reading as the sensor's record converts it", "sensor_state"};
    }
}

void collect_sensors(Exposition &out, const Budget &budget) {
    bool complete = true;
    std::set<std::uint8_t> failed_owners;
    for (std::uint32_t type = 1; type <= 254; ++type) {
        std::int32_t count = 0;
        if (HCXGetSensorNumber(type, &count) != query_result::ok) {
            complete = false;
            break;
        }
        for (std::int32_t index = 1; index <= count; ++index) {
            SensorInfoRecord record{};
            if (HCXGetSensorInfo(type, static_cast<std::uint32_t>(index), &record) != query_result::ok) {
                complete = false;
                continue;
            }
            const std::string name = latin1_text(record.name_bytes());
            const bool threshold = record.kind == SensorKind::Threshold;
            const std::uint32_t reading_type = record.current_value_reading_type();
            std::int32_t value = 0;
            bool read = false;
            if (budget.left() && !failed_owners.contains(record.owner_id())) {
                const auto started = Clock::now();
                read = HCXGetSensorCurrentVal(type, static_cast<std::uint32_t>(index), reading_type, &value) == query_result::ok;
                if (!read && Clock::now() - started > transport_failure_time) failed_owners.insert(record.owner_id());
            }
            complete = complete && read;
            MetricLabels labels = {{"id", std::to_string(record.sensor_number())}, {"name", name}};
            const SensorFamily family = threshold ? family_of(type) : family_of(0);
            if (!threshold || std::string(family.value_name) == "sensor_value") labels.emplace_back("type", std::to_string(type));
            if (threshold) {
                const bool readable = read && value != no_value;
                out.gauge(family.value_name, family.value_help, labels, readable ? value / scaled_unit(type).divisor : not_read);
                out.gauge(family.state_name, state_help, labels,
                          readable ? level(threshold_value_severity(record.kind_block.threshold, value)) : not_read);
            } else {
                const bool scanning = read && value != discrete_value::not_scanning;
                const Severity severity = discrete_states_severity(
                    static_cast<std::uint8_t>(reading_type), static_cast<std::uint8_t>(type), discrete_value::states(value));
                out.gauge("sensor_state", state_help, labels, scanning ? level(severity) : not_read);
                out.gauge("discrete_sensor_states", "the state bits a discrete sensor asserts", labels,
                          scanning ? discrete_value::states(value) : not_read);
            }
        }
    }
    up(out, "sensors", complete && budget.left());
}

void collect_inventory(Exposition &out) {
    std::int32_t cursor = 0, records = 0, status = 0;
    for (FruInventoryRecord record{}; (status = HCXGetInvFruInfo(&cursor, &record)) == query_result::ok;) ++records;
    const bool read = status == query_result::list_ended;
    out.gauge("fru_records", "records of the FRU inventory's general list", {}, read ? records : not_read);
    up(out, "fru", read);
}

void collect_event_log(Exposition &out) {
    const EventLogRead log = read_event_log();
    const bool read = log.status == 0;
    out.gauge("sel_entries", "entries of the system event log", {}, read ? static_cast<double>(log.records.size()) : not_read);
    std::array<double, 3> by_severity{};
    double latest = 0;
    for (const auto &data : log.records) {
        const EventRecord record = *decode_event_record(data);
        if (record.kind == EventRecordKind::SystemEvent) ++by_severity[level(event_severity(record.event))];
        if (const auto date = event_date(record)) latest = std::max<double>(latest, *date);
    }
    for (const Severity severity : {Severity::Nominal, Severity::Warning, Severity::Critical})
        out.gauge("sel_events_count_by_state",
                  "system events of the event log by how bad they are, as the standard tools rate them",
                  {{"state", std::string(severity_name(severity))}}, read ? by_severity[level(severity)] : not_read);
    out.gauge("sel_latest_event_timestamp_seconds", "the newest date an event log record carries; 0 when none carries one", {},
              read ? latest : not_read);
    up(out, "sel", read);
}

void collect_unit(Exposition &out, const HalcoreSession &session) {
    std::uint32_t hours = 0;
    const bool unit_read = session.usable() && mgx_call<CommandType::RunningHours>(hours) == 0;
    out.gauge("server_running_seconds", "the server's running time as the unit counts it", {},
              unit_read ? hours * seconds_per_hour : not_read);
    MgxDeviceIdentity identity{};
    if (session.usable() && mgx_call<CommandType::DeviceIdentity>(identity) == 0)
        out.gauge(
            "bmc_info", "the management unit's identity",
            {{"device_id", std::to_string(identity.device_id)},
             {"firmware_revision", std::to_string(identity.firmware_revision_1 & 0x7F) + "." +
                                       text::to_hex(std::span(&identity.firmware_revision_2, 1))},
             {"ipmi_version", std::to_string(identity.ipmi_version & 0x0F) + "." + std::to_string(identity.ipmi_version >> 4)},
             {"manufacturer_id", std::to_string(identity.manufacturer_and_product[0] | identity.manufacturer_and_product[1] << 8 |
                                                identity.manufacturer_and_product[2] << 16)},
             {"back_end_state", std::to_string(session.back_end_state())}},
            1);

    BootMonitorSettings boot{};
    const bool boot_read = session.usable() && mgx_call<CommandType::BootMonitoring>(boot) == 0;
    const auto function = [&](const char *name, std::uint16_t timeout, std::uint8_t retries) {
        const MetricLabels labels = {{"function", name}};
        out.gauge("boot_monitoring_enabled", "1 when POST or OS-boot monitoring is on", labels,
                  boot_read ? (timeout != boot_monitoring::off ? 1 : 0) : not_read);
        out.gauge("boot_monitoring_timeout_seconds", "the monitoring time-out, 0 when off", labels,
                  boot_read ? timeout : not_read);
        out.gauge("boot_monitoring_retries", "retries after a time-out", labels, boot_read ? retries : not_read);
    };
    function("post", boot.post_timeout, boot.post_retries);
    function("os_boot", boot.os_boot_timeout, boot.os_boot_retries);
    out.gauge("boot_monitoring_retry_method", "0 power off, then on again; 1 reboot by hardware reset", {},
              boot_read ? boot.retry_method : not_read);
    std::int32_t mode = -1;
    const bool mode_read = session.usable() && mgx_call<CommandType::SafeMode>(mode) == 0 && (mode == 0 || mode == 1);
    out.gauge("safe_power_off_mode_enabled", "1 when the power switch shuts the server down instead of switching it off", {},
              mode_read ? (mode == 0 ? 1 : 0) : not_read);
    up(out, "unit", unit_read && boot_read && mode_read);
}

// Seconds since 1970/01/01 of a "%Y/%m/%d" date; nullopt for no date (empty or the zero date).
std::optional<double> timestamp_of(const char *date) {
    const std::string text(date, strnlen(date, store::date_size));
    const std::optional<std::chrono::year_month_day> day = calendar_date(text);
    if (!day || text == "1899/12/30") return std::nullopt;
    return std::chrono::duration<double>(std::chrono::sys_days(*day).time_since_epoch()).count();
}

void collect_wear_parts(Exposition &out) {
    store::LifetimeRecord record{};
    const bool read = store::ReadLifetimeRecord(record) == ERROR_SUCCESS;
    DWORD raid_cards = 0;
    store::ReadRaidCount(&raid_cards);
    const double now = static_cast<double>(
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count());
    for (const store::WearPart &part : store::wear_parts()) {
        const MetricLabels labels = {{"part", part.value_name}};
        const double life = read ? record.life_times[part.life_time_slot] * seconds_per_hour : not_read;
        out.gauge("wear_part_life_seconds", "the part's life time", labels, life);
        if (part.aging == store::Aging::RunningHours) {
            const double running = read ? record.running_hours[part.slot] * seconds_per_hour : not_read;
            out.gauge("wear_part_running_seconds", "the part's running time since it was changed", labels, running);
            out.gauge("wear_part_remaining_seconds", "running time left until the part is due", labels, life - running);
            out.gauge("wear_part_change_due", "1 when the part is due for change", labels,
                      read ? (running >= life ? 1 : 0) : not_read);
            continue;
        }
        if (part.index != store::UpsBattery && part.index - store::RaidBattery1 >= static_cast<int>(raid_cards)) continue;
        const std::optional<double> installed = read ? timestamp_of(record.install_dates[part.slot]) : std::nullopt;
        const double next = installed ? *installed + life : not_read;
        out.gauge("battery_install_timestamp_seconds", "when the battery was installed", labels,
                  installed ? *installed : not_read);
        out.gauge("battery_next_change_timestamp_seconds", "when the battery is due for change", labels, next);
        out.gauge("wear_part_change_due", "1 when the part is due for change", labels,
                  installed ? (next < now ? 1 : 0) : not_read);
    }
    DWORD switches[2] = {0, 0};
    const bool notify_read = store::ReadNotificationSwitches(switches) == ERROR_SUCCESS;
    for (int i = 0; i < 2; ++i)
        out.gauge("notification_enabled", "1 when threshold violations are shown there", {{"method", i == 0 ? "lcd" : "screen"}},
                  notify_read ? (switches[i] ? 1 : 0) : not_read);
    up(out, "wear_parts", read);
}

// Writes the text into a temporary file beside `path` and renames it over `path`, so a
// collector never reads half a file; the old file stays as it was when anything fails.
void write_atomically(const std::string &path, const std::string &text) {
    const std::filesystem::path target(path);
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    if (!std::filesystem::is_directory(folder)) throw CommandFailed("the folder " + folder.string() + " does not exist");
    const std::filesystem::path temporary = target.string() + ".tmp-" + std::to_string(GetCurrentProcessId());
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) throw CommandFailed("cannot write into " + folder.string());
        file << text;
        if (!file.flush()) throw CommandFailed("cannot write " + temporary.string());
    }
    if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        std::filesystem::remove(temporary);
        throw CommandFailed("cannot replace " + path + " (error " + std::to_string(error) + ")");
    }
}

}  // namespace

void add_metrics_command(CLI::App &app, const OutputOptions &) {
    auto options = std::make_shared<MetricsOptions>();
    CLI::App *command = app.add_subcommand("metrics", "the unit's readings and settings for Prometheus (text exposition format)");
    command->add_option("--output", options->output, "write them to this file (through a temporary one beside it)");
    add_number(command, "--timeout", options->timeout_seconds, "seconds the run may take; what is left unread is NaN", 1, 3600);
    command->callback([options] {
        const Budget budget(options->timeout_seconds);
        Exposition out("mgx_");
        {
            HalcoreSession session(budget.left_ms());  // other runs holding the unit longer: all NaN
            collect_unit(out, session);
            if (session.usable()) {
                collect_sensors(out, budget);
                collect_inventory(out);
            } else {
                up(out, "sensors", false);
                up(out, "fru", false);
            }
        }
        collect_event_log(out);
        collect_wear_parts(out);
        const std::string text = out.text();
        if (options->output.empty()) {
            _setmode(_fileno(stdout), _O_BINARY);  // the format's lines end in a line feed alone
            std::fwrite(text.data(), 1, text.size(), stdout);
        } else {
            write_atomically(options->output, text);
        }
    });
}

}  // namespace mgx::tool
