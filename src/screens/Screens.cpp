#include "Screens.h"

namespace pagelore {

void openScreenModal(ScreenId id)
{
    switch (id) {
    case ScreenId::Search:
    case ScreenId::Register:
    case ScreenId::DeleteSearch:
    case ScreenId::MagazineList:
    case ScreenId::CategoryList:
    case ScreenId::DataFolder:
    case ScreenId::ImageFolder:
        break;
    }
}

}  // namespace pagelore
