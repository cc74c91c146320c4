#include "platform/Cp932.h"
#include "support/TestCore.h"

#include <QHash>
#include <QSet>

#include <algorithm>

using namespace pagelore;
using namespace pagelore::test;

class TestCp932 : public QObject {
    Q_OBJECT

private slots:
    // One sequence at a time and all of them in one text, so that the runs
    // handed to the converter are tested as well as the characters.
    void decodesTheReferenceTable()
    {
        QByteArray allBytes;
        QString allText;
        int wrong = 0;
        for (const Cp932Sequence &s : cp932Reference()) {
            const QString expected = QString::fromUcs4(&s.code, 1);
            const Cp932::DecodeResult r = Cp932::decode(s.bytes);
            if (!r.ok || r.text != expected) {
                if (++wrong < 10)
                    qWarning("%s decoded wrongly", s.bytes.toHex().constData());
            }
            allBytes += s.bytes;
            allText += expected;
        }
        QCOMPARE(wrong, 0);
        QVERIFY(cp932Reference().size() > 9000);
        QCOMPARE(Cp932::decode(allBytes).text, allText);
    }

    // Every lead byte before every byte, and every single byte, that the
    // reference does not know: refused, with the offset of the first byte.
    void refusesWhatTheTableLacks()
    {
        QSet<QByteArray> known;
        for (const Cp932Sequence &s : cp932Reference())
            known.insert(s.bytes);
        int accepted = 0;
        for (int first = 0x80; first <= 0xFF; ++first) {
            const QByteArray one(1, char(first));
            QList<QByteArray> candidates;
            if (!Cp932::isLeadByte(uchar(first)))
                candidates << one;
            else
                for (int second = 0; second <= 0xFF; ++second)
                    candidates << one + char(second);
            for (const QByteArray &bytes : candidates) {
                const Cp932::DecodeResult r = Cp932::decode(bytes);
                if (!known.contains(bytes) && (r.ok || r.errorOffset != 0) && ++accepted < 10)
                    qWarning("%s accepted", bytes.toHex().constData());
            }
        }
        QCOMPARE(accepted, 0);
    }

    // A character with one sequence is written with it; one with several
    // with the writer's choice (not 0xED/0xEE when there is another, else
    // the lowest: ICU's choice, which prefers the IBM rows 0xFA-0xFC).
    void encodesEveryCharacter()
    {
        QHash<char32_t, int> sequences;
        for (const Cp932Sequence &s : cp932Reference())
            ++sequences[s.code];
        QString all;
        int wrong = 0;
        for (auto it = sequences.cbegin(); it != sequences.cend(); ++it) {
            const QString text = QString::fromUcs4(&it.key(), 1);
            const Cp932::EncodeResult r = Cp932::encode(text);
            if ((!r.ok || r.bytes != sjis(text)) && ++wrong < 10)
                qWarning("U+%04X encoded as %s", unsigned(it.key()), r.bytes.toHex().constData());
            all += text;
        }
        QCOMPARE(wrong, 0);
        QVERIFY(std::count_if(sequences.cbegin(), sequences.cend(), [](int n) { return n > 1; }) > 300);
        QCOMPARE(Cp932::encode(all).bytes, sjis(all));
        // Spelled out, in case the reference and the rule above drift together.
        QCOMPARE(Cp932::encode(QStringLiteral("纊ⅰ∵Ⅰ￢ﾊﾟ")).bytes,
                 QByteArray("\xFA\x5C\xFA\x40\x81\xE6\x87\x54\x81\xCA\xCA\xDF"));
    }

    void decodeErrorsPointAtTheFirstBadByte_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("offset");
        QTest::newRow("lone lead byte at the end") << QByteArray("ab\x82") << 2;
        QTest::newRow("undefined single byte after a kanji") << QByteArray("\x88\x9F\x80") << 2;
        QTest::newRow("lead byte before a comma") << QByteArray("x\x88,") << 1;
        QTest::newRow("unassigned row") << QByteArray("A\x85\x40") << 1;
        QTest::newRow("0xFF") << QByteArray("\xFF") << 0;
    }
    void decodeErrorsPointAtTheFirstBadByte()
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
        QTest::addColumn<QString>("described");
        QTest::newRow("emoji after kanji") << u"記事😀"_qs << 2 << u"「😀」(U+1F600)"_qs;
        QTest::newRow("e acute") << u"café"_qs << 3 << u"「é」(U+00E9)"_qs;
        QTest::newRow("hangul") << u"아"_qs << 0 << u"「아」(U+C544)"_qs;
        QTest::newRow("yen sign") << u"\u00A5100"_qs << 0 << u"「¥」(U+00A5)"_qs;
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << 0 << u"(U+D800)"_qs;
    }
    void unrepresentableCharactersAreNamed()
    {
        QFETCH(QString, text);
        QFETCH(int, index);
        QFETCH(QString, described);
        const Cp932::EncodeResult r = Cp932::encode(text);
        QVERIFY(!r.ok && r.bytes.isEmpty());
        QCOMPARE(r.errorIndex, qsizetype(index));
        QCOMPARE(Cp932::describeCharacter(r.badCharacter), described);
    }
};

PAGELORE_CORE_TEST_MAIN(TestCp932)
#include "tst_cp932.moc"
