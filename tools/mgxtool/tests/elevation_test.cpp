// How mgxtool words a refused step, by the token it runs with (under Wine no token is filtered,
// so the words for a filtered one are asked for directly).
#include <gtest/gtest.h>

#include <windows.h>

#include <halcore/status_codes.h>

#include "elevation.h"

namespace mgx::tool {
namespace {

TEST(Elevation, OnlyRefusalsOfAFilteredTokenAskForAnElevatedPrompt) {
    const std::string prompt = "mgxtool needs an elevated prompt (Run as administrator): ";
    const struct {
        long status;
        StatusSource source;
        bool elevated;
        std::string text;
    } cases[] = {
        {ERROR_ACCESS_DENIED, StatusSource::Win32, false, prompt + "writing X was refused (status 5)"},
        {ERROR_ACCESS_DENIED, StatusSource::Win32, true, "writing X failed (status 5)"},
        {ERROR_FILE_NOT_FOUND, StatusSource::Win32, false, "writing X failed (status 2)"},
        {hal::status::service_manager_failed, StatusSource::Halcore, false, prompt + "writing X was refused (status 28)"},
        {hal::status::database_lock_failed, StatusSource::Halcore, false, prompt + "writing X was refused (status 21)"},
        {hal::status::service_registry_failed, StatusSource::Halcore, false, prompt + "writing X was refused (status 22)"},
        {hal::status::service_manager_failed, StatusSource::Halcore, true, "writing X failed (status 28)"},
        {hal::status::smbios_absent, StatusSource::Halcore, false, "writing X failed (status 24)"},
        {5, StatusSource::Halcore, false, "writing X failed (status 5)"},  // Halcore's 5 is no refusal
    };
    for (const auto &refused : cases) {
        SCOPED_TRACE(refused.text);
        EXPECT_EQ(refusal_text("writing X", refused.status, refused.source, refused.elevated), refused.text);
    }
}

}  // namespace
}  // namespace mgx::tool
