#include "PageImageSelection.h"

namespace pagelore {

namespace {
PageImageSelection &storage()
{
    static PageImageSelection value;
    return value;
}
}  // namespace

const PageImageSelection &PageImageSelection::current()
{
    return storage();
}

void PageImageSelection::set(const PageImageSelection &selection)
{
    storage() = selection;
}

}  // namespace pagelore
