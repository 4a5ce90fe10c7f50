#include "metrics_collectors.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include <halcore/boot_monitoring.h>
#include <halcore/halcore.h>
#include <halcore/mgx_call.h>
#include <halcore/sensor_types.h>

#include "cli/input_parsing.h"
#include "device_identity_view.h"
#include "event_log_entries.h"
#include "event_log_read.h"
#include "event_log_tally.h"
#include "halcore_session.h"
#include "lifetime_store.h"
#include "sensor_metric_families.h"
#include "sensor_report.h"
#include "severity.h"
#include "text/hex.h"
#include "wear_part_status.h"
#include "wear_parts.h"

namespace mgx::tool {

using namespace mgx::cli;
using namespace mgx::hal;

namespace {

// A reading slower than this failed in the transport (ten attempts of about two seconds), not
// in the sensor: the owner's other sensors are not asked again in this run.
constexpr auto transport_failure_time = std::chrono::seconds(1);
constexpr double seconds_per_hour = 3600;

int level(Severity severity) { return static_cast<int>(severity); }
constexpr const char *state_help =
    "sensor state: 0 nominal, 1 warning, 2 critical (past a non-critical or a critical threshold; for a discrete sensor "
    "the worst state it asserts)";

// One sensor's series: its value (threshold sensors), its state and, for a discrete sensor, its
// state bits; NaN for what `report` did not read (nullopt: not asked).
bool write_sensor(Exposition &out, const CataloguedSensor &sensor, const std::optional<SensorReport> &report) {
    const SensorInfoRecord &record = sensor.record;
    // A reading with a state: a threshold sensor's value, a discrete sensor that is scanning.
    const bool read = report && report->state;
    // Owner, LUN and the slot's own number tell every sensor apart, shared slots and owners
    // that number their sensors alike included: no two series are the same.
    MetricLabels labels = {{"id", std::to_string(record.sensor_number())},
                           {"owner", std::to_string(record.owner_id())},
                           {"lun", std::to_string(record.owner_lun())},
                           {"name", latin1_text(record.name_bytes())}};
    const bool threshold = record.kind == SensorKind::Threshold;
    const RealUnit unit = sensor.unit();
    const MetricFamily family = threshold ? metric_family(sensor.type, unit.name) : generic_sensor_family;
    if (family == generic_sensor_family) labels.emplace_back("type", std::to_string(sensor.type));
    const std::string value_name(family.value_name), value_help(family.value_help), state_name(family.state_name);
    if (threshold) out.gauge(value_name, value_help, labels, read ? unit.real(report->value) : not_read);
    out.gauge(state_name, state_help, labels, read ? level(*report->state) : not_read);
    if (!threshold)
        out.gauge("discrete_sensor_states", "the state bits a discrete sensor asserts", labels,
                  read ? discrete_value::states(report->value) : not_read);
    return read;
}

// The catalogue's sensors, each once: a repository may list one sensor (owner, LUN, number)
// twice, and it has one series.
std::vector<const CataloguedSensor *> distinct_sensors(const SensorCatalogue &catalogue) {
    std::set<std::tuple<std::uint8_t, std::uint8_t, std::uint32_t>> seen;
    std::vector<const CataloguedSensor *> sensors;
    for (const CataloguedSensor &sensor : catalogue.sensors())
        if (seen.insert({sensor.record.owner_id(), sensor.record.owner_lun(), sensor.record.sensor_number()}).second)
            sensors.push_back(&sensor);
    return sensors;
}

// Every catalogued sensor has its series in every run: the catalogue's NaN series stand for the
// source until its readings are published whole, so a deadline in the middle leaves none out.
void collect_sensors(CollectedMetrics &out, const Budget &budget) {
    const SensorCatalogue catalogue = SensorCatalogue::read();
    const std::vector<const CataloguedSensor *> sensors = distinct_sensors(catalogue);
    Exposition not_read_yet(metric_prefix);
    for (const CataloguedSensor *sensor : sensors) write_sensor(not_read_yet, *sensor, std::nullopt);
    out.expect(sensors_collector, std::move(not_read_yet));

    bool complete = catalogue.status() == query_result::ok;
    std::set<std::uint8_t> failed_owners;
    Exposition readings(metric_prefix);
    for (const CataloguedSensor *sensor : sensors) {
        std::optional<SensorReport> report;
        if (budget.left() && !failed_owners.contains(sensor->record.owner_id())) {
            const auto started = Budget::Clock::now();
            report = read_sensor(*sensor);
            if (report->value_status != query_result::ok && Budget::Clock::now() - started > transport_failure_time)
                failed_owners.insert(sensor->record.owner_id());
        }
        complete = write_sensor(readings, *sensor, report) && complete;
    }
    out.publish(sensors_collector, readings, complete && budget.left());
}

// The FRU inventory's record count, asked of the library when `ask`; NaN otherwise.
bool write_inventory(Exposition &out, bool ask) {
    std::int32_t cursor = 0, records = 0, status = 0;
    if (ask)
        for (FruInventoryRecord record{}; (status = HCXGetInvFruInfo(&cursor, &record)) == query_result::ok;) ++records;
    const bool read = ask && status == query_result::list_ended;
    out.gauge("fru_records", "records of the FRU inventory's general list", {}, read ? records : not_read);
    return read;
}

// The unit's state and settings, asked through `session` (NaN without one).
bool write_unit(Exposition &out, const HalcoreSession *session) {
    const bool usable = session && session->usable();
    std::uint32_t hours = 0;
    const bool unit_read = usable && mgx_call<CommandType::RunningHours>(hours) == 0;
    out.gauge("server_running_seconds", "the server's running time as the unit counts it", {},
              unit_read ? hours * seconds_per_hour : not_read);
    MgxDeviceIdentity identity{};
    if (usable && mgx_call<CommandType::DeviceIdentity>(identity) == 0) {
        const DeviceIdentityView view = view_of(identity);
        out.gauge("bmc_info", "the management unit's identity",
                  {{"device_id", std::to_string(identity.device_id)},
                   {"firmware_revision", view.firmware},
                   {"device_available", view.device_available ? "1" : "0"},
                   {"ipmi_version", view.ipmi_version},
                   {"manufacturer_id", std::to_string(view.manufacturer_id)},
                   {"back_end_state", std::to_string(session->back_end_state())}},
                  1);
    }

    BootMonitorSettings boot{};
    const bool boot_read = usable && mgx_call<CommandType::BootMonitoring>(boot) == 0;
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
    const bool mode_read = usable && mgx_call<CommandType::SafeMode>(mode) == 0 && (mode == 0 || mode == 1);
    out.gauge("safe_power_off_mode_enabled", "1 when the power switch shuts the server down instead of switching it off", {},
              mode_read ? (mode == 0 ? 1 : 0) : not_read);
    return unit_read && boot_read && mode_read;
}

// The event log's counts, from `tally` (NaN without one, or when it was not counted to its end),
// and how many records the run read (NaN when it read none).
bool write_event_log(Exposition &out, const EventLogTally *tally, std::optional<std::uint32_t> records_read = std::nullopt) {
    const bool read = tally && tally->complete;
    out.gauge("sel_records_read", "records of the event log this run read: those added since the last run, or all", {},
              records_read ? *records_read : not_read);
    out.gauge("sel_entries", "entries of the system event log", {}, read ? tally->entries() : not_read);
    for (const Severity severity : {Severity::Nominal, Severity::Warning, Severity::Critical})
        out.gauge("sel_events_count_by_state",
                  "system events of the event log by how bad they are, as the standard tools rate them",
                  {{"state", std::string(severity_name(severity))}}, read ? tally->by_severity[level(severity)] : not_read);
    out.gauge("sel_latest_event_timestamp_seconds", "the newest date an event log record carries; 0 when none carries one", {},
              read ? tally->latest : not_read);
    out.gauge("sel_latest_critical_record_id", "the record ID of the newest critical event (mgxtool sel); 0 when none", {},
              read ? tally->latest_critical_id : not_read);
    return read;
}

// What a run leaves itself for writing its file once the event log has taken its share.
constexpr DWORD reserve_ms = 1000;

}  // namespace

void collect_event_log(CollectedMetrics &out, const Budget &budget, const std::optional<std::filesystem::path> &state) {
    EventLogTally tally = state ? load_tally(*state).value_or(EventLogTally{}) : EventLogTally{};
    const WalkOutcome counted = update_tally(tally, [&budget] { return budget.left_ms() > reserve_ms; });
    if (state && counted.status == 0) save_tally(*state, tally);
    Exposition part(metric_prefix);
    const bool read = counted.status == 0 && tally.complete;
    out.publish(sel_collector, part, write_event_log(part, read ? &tally : nullptr, counted.read));
}

void collect_wear_parts(CollectedMetrics &out) {
    store::LifetimeRecord record{};
    const bool read = store::ReadLifetimeRecord(record) == ERROR_SUCCESS;
    bool complete = read;
    DWORD raid_cards = 0;
    store::ReadRaidCount(&raid_cards);
    const double now = seconds_now();
    for (const WearPartStatus &part : wear_part_statuses(record, raid_cards)) {
        const MetricLabels labels = {{"part", part.part->value_name}, {"name", part.part->name}};
        const double life = read ? part.life_hours * seconds_per_hour : not_read;
        out.gauge("wear_part_life_seconds", "the part's life time", labels, life);
        const std::optional<bool> due = part.due(now);
        if (part.ages_by_hours()) {
            const double running = read ? part.running_hours * seconds_per_hour : not_read;
            out.gauge("wear_part_running_seconds", "the part's running time since it was changed", labels, running);
            out.gauge("wear_part_remaining_seconds", "running time left until the part is due", labels, life - running);
            out.gauge("wear_part_change_due", "1 when the part is due for change", labels, read ? (*due ? 1 : 0) : not_read);
            continue;
        }
        if (!part.in_use) continue;
        if (read && part.installed == WearPartStatus::Installed::None) continue;  // no battery date to tell
        const bool day = read && part.installed == WearPartStatus::Installed::Day;
        complete = complete && day;
        out.gauge("battery_install_timestamp_seconds", "when the battery was installed", labels,
                  day ? part.installed_seconds : not_read);
        out.gauge("battery_next_change_timestamp_seconds", "when the battery is due for change", labels,
                  day ? part.next_change_seconds() : not_read);
        out.gauge("wear_part_change_due", "1 when the part is due for change", labels, day ? (*due ? 1 : 0) : not_read);
    }
    store::NotificationSwitches switches{};
    const bool notify_read = store::ReadNotificationSwitches(switches) == ERROR_SUCCESS;
    for (const auto &[method, on] : {std::pair("lcd", switches.lcd), std::pair("screen", switches.screen)})
        out.gauge("notification_enabled", "1 when threshold violations are shown there", {{"method", method}},
                  notify_read ? (on ? 1 : 0) : not_read);
    out.up(wear_parts_collector, complete && notify_read);
}

void collect_from_unit(CollectedMetrics &out, const Budget &budget) {
    HalcoreSession session(budget.left_ms());  // other runs holding the unit longer: all NaN
    Exposition unit(metric_prefix);
    out.publish(unit_collector, unit, write_unit(unit, &session));
    if (session.usable()) collect_sensors(out, budget);
    Exposition inventory(metric_prefix);
    out.publish(fru_collector, inventory, write_inventory(inventory, session.usable()));
    if (!session.usable()) out.up(sensors_collector, false);
}

void write_not_read(Exposition &out, const char *collector) {
    const std::string_view name = collector;
    if (name == unit_collector) write_unit(out, nullptr);
    if (name == fru_collector) write_inventory(out, false);
    if (name == sel_collector) write_event_log(out, nullptr);
}

}  // namespace mgx::tool
