// The templates file as the template store loads it at start-up.

#include "fuzz_support.h"
#include "state/template_json.h"

using namespace lustrelab;

namespace {

std::optional<QList<Template>> readTemplates(const std::string& text, QString* error)
{
    try {
        return templatesFromJson(Json::parse(text), error);
    } catch (const Json::exception&) {
        return std::nullopt; // the store keeps such a file aside; nothing to check here
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QString error;
    const std::optional<QList<Template>> templates =
        readTemplates(std::string(reinterpret_cast<const char*>(data), size), &error);
    if (!templates)
        return 0;

    // Saving a template writes every loaded one back: what was read must
    // survive that unchanged, or each save would alter the user's file.
    const std::optional<QList<Template>> saved = readTemplates(templatesToJson(*templates).dump(), &error);
    FUZZ_CHECK(saved);
    FUZZ_CHECK(*saved == *templates);
    return 0;
}
