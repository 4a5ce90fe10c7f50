#include "language.h"

namespace mgx::store {

namespace {

constexpr LANGID japanese = 0x11;

LANGID primary(LANGID language) { return language & 0x3FF; }

}  // namespace

LanguageIndex language_default(Writer writer, LANGID user_language, LANGID system_language) {
    const bool japanese_user = primary(user_language) == japanese;
    if (writer == Writer::SettingsProgram) return japanese_user ? Japanese : English;
    return japanese_user && primary(system_language) == japanese ? Japanese : English;
}

}  // namespace mgx::store
