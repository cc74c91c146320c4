#pragma once

#include "platform/ui/MessageBox.h"

#include <QApplication>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <functional>
#include <optional>

namespace pagelore::test {

// Answers every message and input box with scripted answers and records what
// was shown, in order. A box shown with no answer left is answered OK / No /
// Cancel and counted in unexpected(), so a test can fail on it.
class DialogAnswerer : public MessageBox::Hook {
public:
    DialogAnswerer();
    ~DialogAnswerer() override;

    DialogAnswerer &answer(MessageBox::Answer a);     // for the next message box
    DialogAnswerer &yes() { return answer(MessageBox::Answer::Yes); }
    DialogAnswerer &no() { return answer(MessageBox::Answer::No); }
    DialogAnswerer &ok() { return answer(MessageBox::Answer::Ok); }
    DialogAnswerer &type(const QString &text);        // for the next input box
    DialogAnswerer &cancel();                         // the next input box is cancelled

    const QList<MessageBox::ShownBox> &shown() const { return m_shown; }
    QStringList titles() const;
    QStringList texts() const;
    int unexpected() const { return m_unexpected; }
    int pending() const { return static_cast<int>(m_answers.size()); }
    void clear();

    MessageBox::Answer answerMessage(const MessageBox::ShownBox &box) override;
    std::optional<QString> answerInput(const MessageBox::ShownBox &box) override;

private:
    struct Scripted {
        bool forInput = false;
        MessageBox::Answer answer = MessageBox::Answer::Ok;
        QString text;
        bool cancelled = false;
    };
    std::deque<Scripted> m_answers;
    QList<MessageBox::ShownBox> m_shown;
    int m_unexpected = 0;
};

// A fresh data folder (ending with "/") holding the six data files, empty,
// and chosen as the data folder in the test's own settings.
class TempDataFolder {
public:
    explicit TempDataFolder(bool createFiles = true, bool choose = true);
    QString path() const { return m_folder; }
    QString file(const QString &name) const { return m_folder + name; }
    QByteArray read(const QString &name) const;
    void write(const QString &name, const QByteArray &bytes) const;
    void choose() const;  // saves it as the data folder

private:
    QTemporaryDir m_dir;
    QString m_folder;
};

QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);
// Code page 932 bytes of a text (test data is written in UTF-8 source).
QByteArray sjis(const QString &text);
void setImageFolder(const QString &folder);

// Runs `action` on the next modal dialog that opens (polling the event loop
// until one other than `current` is active), so a test can drive a screen
// that another screen opens with exec(). Fails the test if none opens within
// `timeoutMs`.
void whenModalOpens(std::function<void(QWidget *)> action, QWidget *current = nullptr, int timeoutMs = 5000);
// Finds a child widget by object name and type; fails when it is missing.
template <typename T>
T *child(QWidget *parent, const QString &name)
{
    T *w = parent->findChild<T *>(name);
    if (!w)
        qFatal("widget %s not found", qPrintable(name));
    return w;
}

// Points the per-user config and runtime folders at a private temporary
// folder, so no test touches the real user's settings.
void isolateUserFolders();

}  // namespace pagelore::test

#define PAGELORE_TEST_MAIN(TestObject)                                \
    int main(int argc, char *argv[])                                  \
    {                                                                 \
        pagelore::test::isolateUserFolders();                         \
        QApplication app(argc, argv);                                 \
        app.setAttribute(Qt::AA_Use96Dpi, true);                      \
        TestObject tc;                                                \
        QTEST_SET_MAIN_SOURCE_PATH                                    \
        return QTest::qExec(&tc, argc, argv);                         \
    }
