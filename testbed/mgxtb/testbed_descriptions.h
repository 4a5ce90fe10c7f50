// The virtual server's status and exchange log as mgxtb shows them to a person.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace mgx::testbed {

std::string describe_status(const nlohmann::json &status);
std::string describe_log(const nlohmann::json &entries);

}  // namespace mgx::testbed
