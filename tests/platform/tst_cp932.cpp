#include "platform/Cp932.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QHash>

using namespace pagelore;

namespace {

struct TableEntry {
    QByteArray bytes;
    char32_t code;
};

QList<TableEntry> loadTable()
{
    QFile f(QStringLiteral(PAGELORE_TEST_DATA "/cp932_table.txt"));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cp932 table missing");
    QList<TableEntry> table;
    while (!f.atEnd()) {
        const QList<QByteArray> parts = f.readLine().trimmed().split(' ');
        if (parts.size() != 2)
            continue;
        table.append({QByteArray::fromHex(parts[0]), static_cast<char32_t>(parts[1].toUInt(nullptr, 16))});
    }
    return table;
}

}  // namespace

class TestCp932 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { m_table = loadTable(); QVERIFY(m_table.size() > 9000); }

    void decodesEverySequenceOfTheReferenceTable()
    {
        int failures = 0;
        for (const TableEntry &e : m_table) {
            const Cp932::DecodeResult r = Cp932::decode(e.bytes);
            if (!r.ok || r.text.size() != 1 || r.text.at(0).unicode() != e.code) {
                if (++failures < 10)
                    qWarning("%s decoded wrongly", e.bytes.toHex().constData());
            }
        }
        QCOMPARE(failures, 0);
    }

    void refusesEverySequenceOutsideTheTable()
    {
        QSet<QByteArray> valid;
        for (const TableEntry &e : m_table)
            valid.insert(e.bytes);
        int accepted = 0;
        for (int lead = 0x80; lead <= 0xFF; ++lead) {
            if (!valid.contains(QByteArray(1, char(lead)))) {
                // A byte that is not a character alone: neither alone nor as a
                // lead byte before any trail byte.
                const bool isLead = Cp932::isLeadByte(uchar(lead));
                if (!isLead && Cp932::decode(QByteArray(1, char(lead))).ok)
                    ++accepted;
                if (!isLead)
                    continue;
            } else {
                continue;
            }
            for (int trail = 0x00; trail <= 0xFF; ++trail) {
                QByteArray pair;
                pair += char(lead);
                pair += char(trail);
                if (valid.contains(pair))
                    continue;
                const Cp932::DecodeResult r = Cp932::decode(pair);
                // A lead byte before an ASCII byte that is no trail byte is an
                // error at the lead byte.
                if (r.ok) {
                    if (++accepted < 10)
                        qWarning("%s accepted", pair.toHex().constData());
                } else if (r.errorOffset != 0) {
                    ++accepted;
                }
            }
        }
        QCOMPARE(accepted, 0);
    }

    void asciiIsNeverSwapped()
    {
        QByteArray all;
        for (int b = 0; b < 0x80; ++b)
            all += char(b);
        const Cp932::DecodeResult r = Cp932::decode(all);
        QVERIFY(r.ok);
        QCOMPARE(r.text.size(), 0x80);
        for (int b = 0; b < 0x80; ++b)
            QCOMPARE(r.text.at(b).unicode(), char16_t(b));
        QCOMPARE(Cp932::encode(r.text).bytes, all);
    }

    void encodesEveryCharacterWithOneSequence()
    {
        QHash<char32_t, QList<QByteArray>> sequences;
        for (const TableEntry &e : m_table)
            sequences[e.code].append(e.bytes);
        int wrong = 0;
        int duplicates = 0;
        for (auto it = sequences.cbegin(); it != sequences.cend(); ++it) {
            const QString text = QString::fromUcs4(&it.key(), 1);
            const Cp932::EncodeResult r = Cp932::encode(text);
            if (it.value().size() == 1) {
                if (!r.ok || r.bytes != it.value().front())
                    ++wrong;
            } else {
                // One canonical choice among the duplicates, and it reads back.
                ++duplicates;
                if (!r.ok || !it.value().contains(r.bytes) || Cp932::decode(r.bytes).text != text)
                    ++wrong;
            }
        }
        QCOMPARE(wrong, 0);
        QVERIFY(duplicates > 300);
    }

    void duplicateSequencesReadAsTheSameCharacter_data()
    {
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::newRow("IBM kanji, NEC-selected vs IBM rows") << QByteArray("\xED\x40") << QByteArray("\xFA\x5C");
        QTest::newRow("circled one, NEC row 13 vs IBM") << QByteArray("\x87\x40") << QByteArray("\x87\x40");
        QTest::newRow("not sign, JIS vs IBM") << QByteArray("\x81\xCA") << QByteArray("\xEE\xF9");
        QTest::newRow("roman numeral one, NEC vs IBM") << QByteArray("\x87\x54") << QByteArray("\xFA\x4A");
    }
    void duplicateSequencesReadAsTheSameCharacter()
    {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        const auto da = Cp932::decode(a), db = Cp932::decode(b);
        QVERIFY(da.ok && db.ok);
        QCOMPARE(da.text, db.text);
    }

    void errorsPointAtTheFirstBadByte_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("offset");
        QTest::newRow("lone lead byte at the end") << QByteArray("ab\x82") << 2;
        QTest::newRow("undefined single byte") << QByteArray("\x82\xA0\x80") << 2;
        QTest::newRow("lead byte before a comma") << QByteArray("x\x88,") << 1;
        QTest::newRow("unassigned row") << QByteArray("A\x85\x40") << 1;
        QTest::newRow("0xFF") << QByteArray("\xFF") << 0;
    }
    void errorsPointAtTheFirstBadByte()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, offset);
        const Cp932::DecodeResult r = Cp932::decode(bytes);
        QVERIFY(!r.ok);
        QCOMPARE(r.errorOffset, qsizetype(offset));
    }

    void unrepresentableCharactersAreNamed_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("index");
        QTest::addColumn<uint>("character");
        QTest::newRow("emoji") << QString::fromUtf8("記事😀") << 2 << 0x1F600u;
        QTest::newRow("latin e acute") << QString::fromUtf8("café") << 3 << 0xE9u;
        QTest::newRow("hangul") << QString::fromUtf8("아") << 0 << 0xC544u;
        QTest::newRow("yen sign") << QString::fromUtf8("\u00A5100") << 0 << 0xA5u;
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << 0 << 0xD800u;
    }
    void unrepresentableCharactersAreNamed()
    {
        QFETCH(QString, text);
        QFETCH(int, index);
        QFETCH(uint, character);
        const Cp932::EncodeResult r = Cp932::encode(text);
        QVERIFY(!r.ok);
        QVERIFY(r.bytes.isEmpty());
        QCOMPARE(r.errorIndex, qsizetype(index));
        QCOMPARE(uint(r.badCharacter), character);
        QVERIFY(Cp932::describeCharacter(r.badCharacter).contains(QStringLiteral("U+")));
    }

    void japaneseTextRoundTrips()
    {
        const QString text = QString::fromUtf8("月刊ﾊﾟｿｺﾝ誌「ＣＰＵ」の特集、ひらがな・カタカナ①");
        const Cp932::EncodeResult e = Cp932::encode(text);
        QVERIFY(e.ok);
        QCOMPARE(Cp932::decode(e.bytes).text, text);
        // Half-width katakana stay single bytes.
        QCOMPARE(Cp932::encode(QString::fromUtf8("ﾊﾟｿｺﾝ")).bytes, QByteArray("\xCA\xDF\xBF\xBA\xDD"));
    }

private:
    QList<TableEntry> m_table;
};

PAGELORE_TEST_MAIN(TestCp932)
#include "tst_cp932.moc"
