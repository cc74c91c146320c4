#pragma once

// Helpers for every test; QtCore and QtTest only, so storage and search tests
// link no widgets.

#include "storage/ArticleRecord.h"

#include <QCoreApplication>
#include <QList>
#include <QTemporaryDir>
#include <QTest>

namespace pagelore::test {

QByteArray readFile(const QString &path); // "<missing>" when it cannot be read
void writeFile(const QString &path, const QByteArray &bytes);
void setImageFolder(const QString &folder);

// A fresh data folder (its path ends with "/") holding the six data files,
// empty, and chosen as the data folder in the test's own settings.
class TempDataFolder {
public:
    explicit TempDataFolder(bool createFiles = true, bool choose = true);
    QString path() const { return m_folder; }
    QString file(const QString &name) const { return m_folder + name; }
    QByteArray read(const QString &name) const { return readFile(file(name)); }
    void write(const QString &name, const QByteArray &bytes) const { writeFile(file(name), bytes); }
    void choose() const; // saves it as the data folder

private:
    QTemporaryDir m_dir;
    QString m_folder;
};

// The independent reference: every sequence of one or two bytes that
// Python's cp932 codec reads, with the character it gives (tests/data).
struct Cp932Sequence {
    QByteArray bytes;
    char32_t code;
};
const QList<Cp932Sequence> &cp932Reference();
// Code page 932 bytes of a text, by the reference. A character with several
// sequences takes the writer's choice (not the NEC-selected rows 0xED/0xEE
// when there is another, otherwise the lowest), or with writerChoice false
// another of them.
QByteArray sjis(const QString &text, bool writerChoice = true);

// A valid article whose every field depends on n (the content has a line
// break and a comma), so that two articles differ in every field. Change
// fields as a test needs.
ArticleRecord article(int n = 1);
// The bytes an article stands for in a data file, spelled out here from the
// rules of the format rather than by the product's writer. The writer's own
// form, or (writerForm false) another form the reader accepts: a space before
// each field, texts unquoted where that reads back the same and in other
// byte sequences where there are any, numbers with a sign or a leading zero,
// the date without leading zeros.
QByteArray line(const ArticleRecord &a, bool writerForm = true);

// Points the per-user config and runtime folders at a private temporary
// folder, so no test touches the real user's settings.
void isolateUserFolders();

} // namespace pagelore::test

#define PAGELORE_TEST_MAIN_WITH(Application, TestObject, setup)                                                   \
    int main(int argc, char *argv[])                                                                              \
    {                                                                                                             \
        pagelore::test::isolateUserFolders();                                                                     \
        Application app(argc, argv);                                                                              \
        setup;                                                                                                    \
        TestObject tc;                                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                \
        return QTest::qExec(&tc, argc, argv);                                                                     \
    }
#define PAGELORE_CORE_TEST_MAIN(TestObject) PAGELORE_TEST_MAIN_WITH(QCoreApplication, TestObject, )
