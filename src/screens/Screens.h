#pragma once

namespace pagelore {

// The screens the main window opens. Each is opened modally with no owner
// window; the call returns when the screen has closed.
enum class ScreenId {
    Search,        // Form2
    Register,      // Form3
    DeleteSearch,  // Form4
    MagazineList,  // RZassi
    CategoryList,  // RBunnya
    DataFolder,    // frmRegistFile
    ImageFolder,   // RGazou
    ArticleList,   // ArticleListScreen
};

void openScreenModal(ScreenId id);

}  // namespace pagelore
