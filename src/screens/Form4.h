#pragma once

#include "SearchConditionsScreen.h"

namespace pagelore {

// The deletion-candidate search: the article search's conditions and pass,
// then the deletion browser Form6.
class Form4 : public SearchConditionsScreen {
    Q_OBJECT

public:
    explicit Form4(QWidget *parent = nullptr);

protected:
    int openBrowser() override;
};

}  // namespace pagelore
