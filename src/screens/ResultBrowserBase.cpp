#include "ResultBrowserBase.h"

#include "ScreenSupport.h"
#include "platform/ui/MessageBox.h"
#include "storage/DataFiles.h"
#include "storage/SettingsStore.h"
#include "storage/StorageError.h"

namespace pagelore {

const QString ResultBrowserBase::kEndMessage =
    QStringLiteral("これ以上データはないので、「次の候補>>」ボタンを押さないでください。");
const QString ResultBrowserBase::kEndTitle = QStringLiteral("最終");

ResultBrowserBase::ResultBrowserBase(QWidget *parent) : QDialog(parent)
{
}

ResultBrowserBase::~ResultBrowserBase() = default;

void ResultBrowserBase::Form_Load()
{
    closeResult();
    m_shownRecord = false;
    const QString path = DataFiles::path(DataFolder(), DataFiles::ResultFile);
    try {
        m_result = std::make_unique<ArticleReader>(path);
        if (m_result->atEnd()) {
            // A search without hits: the codec has no record to give, so the
            // end is told once over empty fields.
            closeResult();
            showNoRecord();
            tellEnd();
            return;
        }
    } catch (const StorageError &e) {
        closeResult();
        showNoRecord();
        reportFailure(e.message());
        return;
    }
    showNext();
}

int ResultBrowserBase::openModal()
{
    Form_Load();
    return exec();
}

void ResultBrowserBase::showNext()
{
    if (!m_result) {
        tellEnd();
        return;
    }
    try {
        const ArticleRecord record = m_result->next();
        const bool last = m_result->atEnd();
        if (last)
            tellEnd();
        showRecord(record);
        m_shownRecord = true;
        if (last) {
            tellEnd();
            closeResult();
        }
    } catch (const StorageError &e) {
        closeResult();
        if (!m_shownRecord)
            showNoRecord();
        reportFailure(e.message());
    }
}

void ResultBrowserBase::backToConditions()
{
    closeResult();
    done(kBrowserBackToConditions);
}

void ResultBrowserBase::backToMenu()
{
    closeResult();
    done(kBrowserBackToMenu);
}

void ResultBrowserBase::reject()
{
    backToConditions();
}

void ResultBrowserBase::closeResult()
{
    m_result.reset();
}

void ResultBrowserBase::tellEnd()
{
    MessageBox::inform(this, kEndMessage, kEndTitle);
}

void ResultBrowserBase::reportFailure(const QString &text)
{
    MessageBox::inform(this, text, windowTitle());
}

} // namespace pagelore
