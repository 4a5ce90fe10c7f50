#include "support_commands.h"

#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

#include "change_log.h"
#include "change_report.h"
#include "cli/input_parsing.h"
#include "omra_logging.h"
#include "omrareg_ctl.h"
#include "text/hex.h"
#include "text/utf8.h"

namespace mgx::tool {

using namespace mgx::cli;

using nlohmann::json;

namespace {

void show_log(const OutputOptions &options, const std::string &path) {
    std::ifstream file(text::path_of(path), std::ios::binary);
    if (!file && path == service::change_log_path() && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        report(options, json::array(), "no change recorded yet (" + path + ")\n");
        return;
    }
    if (!file) throw CommandFailed("cannot open " + path);
    json records = json::array();
    std::ostringstream text;
    std::string record(logging::record_size, '\0');
    while (file.read(record.data(), static_cast<std::streamsize>(record.size()))) {
        std::string stamp = record.substr(0, 20), message = record.substr(20, 490);
        stamp.erase(stamp.find_last_not_of(' ') + 1);
        message.erase(message.find_last_not_of(' ') + 1);
        records.push_back({{"time", stamp}, {"message", message}});
        text << stamp << "  " << message << "\n";
    }
    report(options, records, text.str());
}

std::string describe_type(DWORD type) {
    switch (type) {
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_DWORD: return "REG_DWORD";
    case REG_BINARY: return "REG_BINARY";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    default: return "type " + std::to_string(type);
    }
}

// A value as the registry library reads it, shown as text.
struct StoredValue {
    LONG status = 0;
    DWORD type = REG_NONE;
    DWORD size = 0;
    json value;
    std::string shown;
};

// `key` and `name` in the ANSI code page, as the registry library takes them.
StoredValue read_value(const std::string &ansi_key, const std::string &ansi_name) {
    StoredValue stored;
    // The type comes from the registry itself; the library reads values whatever their type.
    RegGetValueA(HKEY_LOCAL_MACHINE, ansi_key.c_str(), ansi_name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &stored.type, nullptr,
                 &stored.size);
    std::vector<std::uint8_t> data(std::max<DWORD>(stored.size, 4) + 1, 0);
    stored.status =
        GetRegVal_DL(ansi_key.c_str(), ansi_name.c_str(), stored.type, data.data(), static_cast<DWORD>(data.size() - 1));
    if (stored.status != ERROR_SUCCESS) {
        stored.shown = "none";
        return stored;
    }
    data.resize(stored.size);
    if (stored.type == REG_DWORD && stored.size == 4) {
        DWORD value;
        std::memcpy(&value, data.data(), 4);
        stored.value = value;
        stored.shown = std::to_string(value);
    } else if (stored.type == REG_SZ || stored.type == REG_EXPAND_SZ) {
        stored.shown = std::string(reinterpret_cast<const char *>(data.data()),
                                   strnlen(reinterpret_cast<const char *>(data.data()), stored.size));
        stored.value = stored.shown;
    } else {
        stored.shown = text::to_hex(data);
        stored.value = stored.shown;
    }
    return stored;
}

// `key` and `name` as typed (UTF-8).
void get_value(const OutputOptions &options, const std::string &key, const std::string &name) {
    const StoredValue stored = read_value(ansi_text(key, "the key"), ansi_text(name, "the value name"));
    json document = {{"status", stored.status}, {"key", key}, {"name", name}, {"type", describe_type(stored.type)}};
    if (stored.status == ERROR_SUCCESS) {
        document["value"] = stored.value;
        document["size"] = stored.size;
    }
    report(options, document,
           stored.status == ERROR_SUCCESS ? describe_type(stored.type) + " " + stored.shown + "\n"
                                          : "status " + std::to_string(stored.status) + "\n");
    if (stored.status != ERROR_SUCCESS) throw CommandFailed("reading the value failed");
}

struct LogOptions {
    std::string path, message;
};

struct RegistryOptions {
    std::string key, name, text;
    std::optional<std::uint32_t> number;
};

}  // namespace

void add_support_commands(CLI::App &app, const OutputOptions &options) {
    CLI::App *log = app.add_subcommand("log", "log files of the logging library (newest first, at most 600 lines)");
    log->require_subcommand(1);
    auto log_options = std::make_shared<LogOptions>();
    CLI::App *add = log->add_subcommand("add", "add a line through OMRALogging");
    add->add_option("file", log_options->path, "log file path")->required();
    add->add_option("message", log_options->message, "the line's text (up to 490 characters are kept)")->required();
    add->callback([&options, log_options] {
        const std::string path = ansi_text(log_options->path, "the log file's path"),
                          message = ansi_text(log_options->message, "the line");
        int written = OMRALogging(path.c_str(), message.c_str());
        report(options, {{"written", written == 1}, {"changed", written == 1}},
               written == 1 ? "added a line at the top of " + log_options->path + "\n" : "the log file cannot be opened\n");
        if (written != 1) throw CommandFailed("logging failed");
    });
    CLI::App *show = log->add_subcommand("show", "print a log file, newest line first (without one: the change log)");
    show->add_option("file", log_options->path, "log file path; left out, the change log " + service::change_log_path());
    show->callback([&options, log_options] {
        show_log(options, log_options->path.empty() ? service::change_log_path() : log_options->path);
    });

    CLI::App *registry = app.add_subcommand("registry", "values under HKEY_LOCAL_MACHINE through the registry access library");
    registry->require_subcommand(1);
    auto value = std::make_shared<RegistryOptions>();
    CLI::App *get = registry->add_subcommand("get", "read a value");
    get->add_option("key", value->key, "key path, e.g. SOFTWARE\\Velmora\\GK7T30\\LifeTime\\Limit")->required();
    get->add_option("name", value->name, "value name")->required();
    get->callback([&options, value] { get_value(options, value->key, value->name); });
    CLI::App *set = registry->add_subcommand("set", "write a value of an existing key");
    set->add_option("key", value->key, "key path")->required();
    set->add_option("name", value->name, "value name")->required();
    auto *dword = add_number(set, "--dword", value->number, "a REG_DWORD value");
    auto *text = set->add_option("--text", value->text, "a REG_SZ value");
    dword->excludes(text);
    set->callback([&options, value, dword, text] {
        if (dword->count() == 0 && text->count() == 0) throw CLI::ValidationError("give --dword or --text");
        const std::string key = ansi_text(value->key, "the key"), name = ansi_text(value->name, "the value name"),
                          text_value = ansi_text(value->text, "the text");
        const StoredValue before = read_value(key, name);
        const bool holds = before.status == ERROR_SUCCESS &&
                           (value->number ? before.type == REG_DWORD && before.shown == std::to_string(*value->number)
                                          : before.type == REG_SZ && before.shown == text_value);
        LONG status = holds           ? ERROR_SUCCESS
                      : value->number ? SetRegVal_DL(key.c_str(), name.c_str(), REG_DWORD, &*value->number, 4)
                                      : SetRegVal_DL(key.c_str(), name.c_str(), REG_SZ, text_value.c_str(),
                                                     static_cast<DWORD>(text_value.size() + 1));
        json document = {{"status", status}};
        std::ostringstream said;
        if (status == ERROR_SUCCESS)
            report_changes({{value->key + "\\" + value->name, before.shown, read_value(key, name).shown}}, false, document, said);
        said << "status " << status << "\n";
        report(options, document, said.str());
        if (status != ERROR_SUCCESS) throw CommandFailed("writing the value failed");
    });
}

}  // namespace mgx::tool
