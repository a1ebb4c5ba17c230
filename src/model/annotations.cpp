#include "annotations.h"

#include "id_lookup.h"

namespace lustrelab {

bool Annotations::contains(const AnnotationRef& ref) const
{
    bool found = false;
    forEachAnnotationList(*this, [&](AnnotationKind kind, const char*, const auto& list) {
        if (kind == ref.kind)
            found = recordWithId(list, ref.id) != nullptr;
    });
    return found;
}

bool Annotations::remove(const AnnotationRef& ref)
{
    bool removed = false;
    forEachAnnotationList(*this, [&](AnnotationKind kind, const char*, auto& list) {
        if (kind == ref.kind)
            removed = removeById(list, ref.id);
    });
    return removed;
}

} // namespace lustrelab
