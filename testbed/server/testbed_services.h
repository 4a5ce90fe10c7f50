// Installing the testbed into a prefix (or onto a Windows test machine): the virtual server as
// an automatically started service, and the three stand-in drivers as kernel-driver services.
#pragma once

#include <string>
#include <vector>

namespace mgx::testbed {

inline constexpr const char *server_service_name = "MgxTestbed";

struct DriverService {
    const char *service;  // service name the system's driver management uses
    const char *file;     // file in the system's DRIVERS directory
};

inline const std::vector<DriverService> &driver_services() {
    static const std::vector<DriverService> drivers = {{"Imbdrv", "imbdrv.sys"}, {"bmc", "bmc.sys"}, {"SMBUS2", "SMBUS2.sys"}};
    return drivers;
}

// Each throws std::runtime_error with the failing step and its error code.

// Starts an existing service and waits until it runs. A prefix that was just made or booted
// refuses or delays starts for a while; those are tried again, for up to 60 s.
void start_existing_service(const std::string &name);
// Stops a service and waits until it has stopped (a service that is not running is fine).
void stop_existing_service(const std::string &name);

// Creates (or updates) an automatically started service and starts it; removes one (stopping it
// first; a service that does not exist is fine).
void install_service(const std::string &name, unsigned long type, const std::string &binary);
void remove_service(const std::string &name);

void install_server_service(const std::string &command_line);
void remove_server_service();
void install_driver_services();
void remove_driver_services();

}  // namespace mgx::testbed
