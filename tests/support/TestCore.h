#pragma once

// Helpers for every test, QtCore and QtTest only: storage and search tests link no widgets.

#include "storage/ArticleRecord.h"

#include <QCoreApplication>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

namespace pagelore::test {

QByteArray readFile(const QString &path); // "<missing>" when it cannot be read
void writeFile(const QString &path, const QByteArray &bytes);
void setImageFolder(const QString &folder);

// A fresh data folder (its path ends with "/") with the six data files empty, chosen in the test's own settings.
class TempDataFolder {
public:
    explicit TempDataFolder(bool createFiles = true, bool choose = true);
    QString path() const { return m_folder; }
    QString file(const QString &name) const { return m_folder + name; }
    QByteArray read(const QString &name) const { return readFile(file(name)); }
    void write(const QString &name, const QByteArray &bytes) const { writeFile(file(name), bytes); }
    void choose() const;

private:
    QTemporaryDir m_dir;
    QString m_folder;
};

// The independent reference (tests/data, made by Python's cp932 codec): each
// character code page 932 has, with every sequence of one or two bytes that
// reads as it, the writer's choice first (the lowest outside the NEC-selected
// rows 0xED/0xEE where there is one).
const QHash<char32_t, QByteArrayList> &cp932Reference();
// A text's bytes by the reference: the writer's choice or another sequence.
QByteArray sjis(const QString &text, bool writerChoice = true);

// A valid article whose every field depends on n (its content holds a line break and a comma).
ArticleRecord article(int n = 1);
// Its bytes in a data file, spelled out from the rules of the format: the writer's form or another the reader
// takes (a space before each field, texts unquoted where they read the same and in other byte sequences, numbers
// with a sign and a leading zero, the date without leading zeros).
QByteArray line(const ArticleRecord &a, bool writerForm = true);

// Points the per-user config and runtime folders at a private temporary folder.
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
