#pragma once

#include "storage/ArticleRecord.h"

#include <QDialog>
#include <QString>

#include <memory>

namespace pagelore {

// Pages through the result file of the last search, one record per step.
// The file stays open for reading between steps and is closed after the last
// record, on leaving the screen, and on any failure.
//
class ResultBrowserBase : public QDialog {
    Q_OBJECT

public:
    ~ResultBrowserBase() override;

    // Opens the result file of the data folder chosen now and shows the
    // first record.
    void Form_Load();
    // Form_Load, then the browser modally; returns how it was left
    // (kBrowserBackToConditions or kBrowserBackToMenu).
    int openModal();
    // The show step: one record, with the end message before and after the
    // fields are filled when it is the last. After the end only the end
    // message is shown again.
    void showNext();
    // Leave for the conditions screen, or for the main window.
    void backToConditions();
    void backToMenu();

    bool isResultOpen() const { return m_result != nullptr; }
    // Whether any record has been shown since the screen opened.
    bool hasShownRecord() const { return m_shownRecord; }

    static const QString kEndMessage;
    static const QString kEndTitle;

    // Esc and the title bar's close button leave like "<<検索条件を改める".
    void reject() override;

protected:
    explicit ResultBrowserBase(QWidget *parent = nullptr);

    virtual void showRecord(const ArticleRecord &record) = 0;
    // The result file holds no record (or could not be read): empty fields.
    virtual void showNoRecord() = 0;
    // Closing a closed handle does nothing.
    void closeResult();

private:
    void tellEnd();
    void reportFailure(const QString &text);

    std::unique_ptr<ArticleReader> m_result;
    bool m_shownRecord = false;
};

}  // namespace pagelore
