#include "Screens.h"

#include "ArticleListScreen.h"
#include "CandidateEditor.h"
#include "Form2.h"
#include "Form3.h"
#include "Form4.h"
#include "FolderScreen.h"

namespace pagelore {

void openScreenModal(ScreenId id)
{
    switch (id) {
    case ScreenId::Search: {
        Form2 screen;
        screen.openModal();
        break;
    }
    case ScreenId::Register: {
        Form3 screen;
        screen.openModal();
        break;
    }
    case ScreenId::MagazineList: {
        RZassi screen;
        screen.openModal();
        break;
    }
    case ScreenId::CategoryList: {
        RBunnya screen;
        screen.openModal();
        break;
    }
    case ScreenId::DeleteSearch: {
        Form4 screen;
        screen.openModal();
        break;
    }
    case ScreenId::DataFolder: {
        frmRegistFile screen;
        screen.openModal();
        break;
    }
    case ScreenId::ImageFolder: {
        RGazou screen;
        screen.openModal();
        break;
    }
    case ScreenId::ArticleList: {
        ArticleListScreen screen;
        screen.openModal();
        break;
    }
    }
}

} // namespace pagelore
