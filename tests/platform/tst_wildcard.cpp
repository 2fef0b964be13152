#include "platform/Wildcard.h"

#include <QtTest>

#include <string>
#include <vector>

using quorvel::MatchWildcard;

namespace {

using Chars = std::vector<std::string>; // a text already cut into its characters

bool SameChar(const std::string& p, const std::string& n) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return p.size() == 1 && n.size() == 1 ? fold(p[0]) == fold(n[0]) : p == n;
}

// The rule written plainly, as a table over (pattern prefix, name prefix).
bool PlainMatch(const Chars& pattern, const Chars& name) {
    std::vector<std::vector<bool>> m(pattern.size() + 1, std::vector<bool>(name.size() + 1));
    m[0][0] = true;
    for (std::size_t i = 1; i <= pattern.size(); ++i) {
        for (std::size_t j = 0; j <= name.size(); ++j) {
            const std::string& p = pattern[i - 1];
            m[i][j] = p == "*" ? m[i - 1][j] || (j > 0 && m[i][j - 1])
                               : j > 0 && m[i - 1][j - 1] && (p == "?" || SameChar(p, name[j - 1]));
        }
    }
    return m[pattern.size()][name.size()];
}

bool PlainWildcard(Chars pattern, const Chars& name) {
    if (PlainMatch(pattern, name)) {
        return true;
    }
    const std::size_t length = pattern.size();
    while (!pattern.empty() && pattern.back() == "*") {
        pattern.pop_back();
    }
    if (pattern.size() == length || pattern.empty() || pattern.back() != ".") {
        return false;
    }
    pattern.pop_back();
    return PlainMatch(pattern, name);
}

std::vector<Chars> AllSequences(const Chars& alphabet, int maxLength) {
    std::vector<Chars> result{Chars{}};
    for (std::size_t i = 0; i < result.size() && int(result[i].size()) < maxLength; ++i) {
        for (const std::string& c : alphabet) {
            result.push_back(result[i]);
            result.back().push_back(c);
        }
    }
    return result;
}

std::string Join(const Chars& chars) {
    std::string text;
    for (const std::string& c : chars) {
        text += c;
    }
    return text;
}

} // namespace

class WildcardTest : public QObject {
    Q_OBJECT

private slots:
    void matches_data();
    void matches();
    void agreesWithThePlainRuleOnEveryShortText_data();
    void agreesWithThePlainRuleOnEveryShortText();
};

void WildcardTest::matches_data() {
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("expected");

    // "*.*" is "every file"; a trailing ".*" may match the empty end, nothing else is lenient.
    QTest::newRow("*.* without a dot") << QByteArray("*.*") << QByteArray("README") << true;
    QTest::newRow("*.* dot entry") << QByteArray("*.*") << QByteArray("..") << true;
    QTest::newRow("*.* not UTF-8") << QByteArray("*.*") << QByteArray("\xff\xfe") << true;
    QTest::newRow("name.* without extension") << QByteArray("IMG.*") << QByteArray("IMG") << true;
    QTest::newRow("name.* longer stem") << QByteArray("IMG.*") << QByteArray("IMG2") << false;
    QTest::newRow("a*.* no dot") << QByteArray("a*.*") << QByteArray("abc") << true;
    QTest::newRow(".* is not every name") << QByteArray(".*") << QByteArray("abc") << false;
    QTest::newRow("*. needs a final dot") << QByteArray("*.") << QByteArray("abc") << false;
    QTest::newRow("*.txt needs its extension") << QByteArray("*.txt") << QByteArray("txt") << false;
    QTest::newRow("the last part is anchored at the end")
        << QByteArray("*.jpg") << QByteArray("a.jpg.bak") << false;
    QTest::newRow("star retries past a false start")
        << QByteArray("*ab") << QByteArray("aab") << true;
    QTest::newRow("empty pattern, some name") << QByteArray("") << QByteArray("a") << false;

    // "?" is one character, whatever its length in bytes; a stray byte is a character.
    QTest::newRow("? never empty") << QByteArray("a?c") << QByteArray("ac") << false;
    QTest::newRow("? one kanji") << QByteArray("?.txt") << QByteArray("日.txt") << true;
    QTest::newRow("?? is not one kanji") << QByteArray("??.txt") << QByteArray("日.txt") << false;
    QTest::newRow("? one four-byte character") << QByteArray("x?") << QByteArray("x😀") << true;
    QTest::newRow("? one stray byte")
        << QByteArray("bad?.txt") << QByteArray("bad\xff.txt") << true;
    QTest::newRow("truncated sequence is a character per byte")
        << QByteArray("??") << QByteArray("\xe6\x97") << true;
    QTest::newRow("overlong form is a character per byte")
        << QByteArray("?") << QByteArray("\xc0\xaf") << false;
    QTest::newRow("surrogate form is a character per byte")
        << QByteArray("???") << QByteArray("\xed\xa0\x80") << true;
    QTest::newRow("stray bytes never match part of a kanji")
        << QByteArray("*\x97\xa5") << QByteArray("日") << false;

    // Case: ASCII letters only.
    QTest::newRow("ASCII letters ignore case")
        << QByteArray("img_*.JPG") << QByteArray("IMG_01.jpg") << true;
    QTest::newRow("accented letters keep their case")
        << QByteArray("é.txt") << QByteArray("É.txt") << false;
    QTest::newRow("full-width letters keep their case")
        << QByteArray("ａ") << QByteArray("Ａ") << false;
    QTest::newRow("[ and { are not letters") << QByteArray("[") << QByteArray("{") << false;
    QTest::newRow("Japanese names")
        << QByteArray("写真_???.jpg") << QByteArray("写真_００１.JPG") << true;
}

void WildcardTest::matches() {
    QFETCH(QByteArray, pattern);
    QFETCH(QByteArray, name);
    QFETCH(bool, expected);
    QCOMPARE(MatchWildcard(pattern.toStdString(), name.toStdString()), expected);
}

void WildcardTest::agreesWithThePlainRuleOnEveryShortText_data() {
    QTest::addColumn<QByteArrayList>("patternAlphabet");
    QTest::addColumn<QByteArrayList>("nameAlphabet");
    QTest::addColumn<int>("patternLength");
    QTest::addColumn<int>("nameLength");

    QTest::newRow("ASCII letters, dots and wildcards")
        << QByteArrayList{"a", "B", "b", ".", "*", "?"} << QByteArrayList{"a", "A", "b", "."} << 4
        << 5;
    QTest::newRow("multi-byte characters and stray bytes")
        << QByteArrayList{"é", "日", "\xff", "\x97", ".", "*", "?"}
        << QByteArrayList{"é", "É", "日", "\xff", "\x97", "."} << 3 << 4;
}

// Every pattern and name up to a few characters: this reaches the corners (stars next to each
// other, stars before and after dots, a name that ends early) that a hand-written table misses.
void WildcardTest::agreesWithThePlainRuleOnEveryShortText() {
    QFETCH(QByteArrayList, patternAlphabet);
    QFETCH(QByteArrayList, nameAlphabet);
    QFETCH(int, patternLength);
    QFETCH(int, nameLength);
    const auto chars = [](const QByteArrayList& list) {
        Chars result;
        for (const QByteArray& c : list) {
            result.push_back(c.toStdString());
        }
        return result;
    };
    const std::vector<Chars> names = AllSequences(chars(nameAlphabet), nameLength);
    for (const Chars& pattern : AllSequences(chars(patternAlphabet), patternLength)) {
        for (const Chars& name : names) {
            const bool expected = PlainWildcard(pattern, name);
            if (MatchWildcard(Join(pattern), Join(name)) != expected) {
                QFAIL(qPrintable(
                    QStringLiteral("pattern \"%1\" name \"%2\": expected %3")
                        .arg(
                            QString(
                                QByteArray::fromStdString(Join(pattern)).toPercentEncoding("*?.")),
                            QString(QByteArray::fromStdString(Join(name)).toPercentEncoding("*?.")),
                            expected ? "a match" : "no match")));
            }
        }
    }
}

QTEST_GUILESS_MAIN(WildcardTest)
#include "tst_wildcard.moc"
