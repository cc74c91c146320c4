#pragma once

#include "SearchConditionsScreen.h"

namespace pagelore {

// The article search: conditions, the pass, then the result browser Form5.
class Form2 : public SearchConditionsScreen {
    Q_OBJECT

public:
    explicit Form2(QWidget *parent = nullptr);

protected:
    int openBrowser() override;
};

}  // namespace pagelore
