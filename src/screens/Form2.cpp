#include "Form2.h"

#include "Form5.h"

namespace pagelore {

Form2::Form2(QWidget *parent)
    : SearchConditionsScreen(
        {QStringLiteral("記事検索"), QStringLiteral("検索する"),
         QStringLiteral(
             "掲載年月日は、日付を何かしら入力しないとエラーになりますので、不明な場合は、「1900/1/1」と"
             "記入してください。")},
        parent)
{
}

int Form2::openBrowser()
{
    Form5 browser;
    return browser.openModal();
}

} // namespace pagelore
