#include "Form4.h"

#include "Form6.h"

namespace pagelore {

Form4::Form4(QWidget *parent)
    : SearchConditionsScreen(
        {QStringLiteral("削除記事候補検索"), QStringLiteral("削除候補を検索する"),
         QStringLiteral(
             "掲載年月日は、日付を何かしら入力しないとエラーになりますので、不明な場合は、「1990/1/1」と"
             "記入してください。")},
        parent)
{
}

int Form4::openBrowser()
{
    Form6 browser;
    return browser.openModal();
}

} // namespace pagelore
