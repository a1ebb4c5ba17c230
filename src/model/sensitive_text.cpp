#include "sensitive_text.h"

#include <QRegularExpression>
#include <algorithm>
#include <functional>

namespace lustrelab {

namespace {

QString digitsOf(QStringView text)
{
    QString digits;
    for (QChar c : text)
        if (c.isDigit())
            digits.append(c);
    return digits;
}

// The reader sometimes takes one of the dots for a comma ("192.168,1.254");
// two real dots still make it an address, not a list of numbers.
bool validIpv4(QStringView text)
{
    if (text.count(u'.') < 2)
        return false;
    const auto parts = text.toString().replace(u',', u'.').split(u'.');
    return parts.size() == 4 && std::all_of(parts.begin(), parts.end(), [](const QString& part) {
               bool ok = false;
               return part.size() <= 3 && part.toInt(&ok) <= 255 && ok;
           });
}

// Eight groups, or fewer with one "::"; a time such as 12:30:45 is neither.
bool validIpv6(QStringView text)
{
    const qsizetype gap = text.indexOf(u"::");
    if (gap >= 0 && text.indexOf(u"::", gap + 1) >= 0)
        return false;
    int groups = 0;
    bool letters = false;
    for (QStringView group : text.split(u':')) {
        if (group.isEmpty())
            continue;
        if (group.size() > 4)
            return false;
        ++groups;
        letters = letters || std::any_of(group.begin(), group.end(), [](QChar c) { return !c.isDigit(); });
    }
    if (gap < 0)
        return groups == 8;
    // "::1" and "fe80::1" are addresses; "1::2" in prose could be anything,
    // so a shortened form needs a letter or three groups.
    return groups >= 1 && groups <= 7 && (letters || groups >= 3 || text.startsWith(u"::"));
}

// Cards are printed in groups of four at first, split by one kind of
// separator; a run of numbers that mixes spaces and dashes (an order number,
// a date and a time) is not a card even when its digits pass Luhn.
bool validCard(QStringView text)
{
    const QString digits = digitsOf(text);
    if (digits.size() < 13 || digits.size() > 19 || !passesLuhn(digits))
        return false;
    const bool spaces = text.contains(u' '), dashes = text.contains(u'-');
    if (spaces && dashes)
        return false;
    return !(spaces || dashes) || text.indexOf(spaces ? u' ' : u'-') == 4;
}

// A date such as 2026-12-08 followed by more numbers is a time stamp.
bool validPhone(QStringView text)
{
    static const QRegularExpression date(QStringLiteral(R"(^\d{4}-\d{2}-\d{2}\b)"));
    const qsizetype digits = digitsOf(text).size();
    return digits >= 9 && digits <= 15 && !date.match(text.toString()).hasMatch();
}

// Long runs of hex or base64 are keys when they mix letters and digits.
bool mixesLettersAndDigits(QStringView text)
{
    const bool digits = std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
    const bool letters = std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
    return digits && letters;
}

// A key whose prefix lost its "_" or "-" to the reader ("ghp 16C7...",
// "sklive4f...") could be any long word after "sk" or "ghp"; the random
// part of a real key mixes letters and digits.
bool validKey(QStringView text)
{
    static const QRegularExpression separated(
        QStringLiteral("^(?:gh[pousr]_|github_pat_|sk-|xox[abposr]-|AKIA|eyJ)"));
    return separated.match(text).hasMatch() || mixesLettersAndDigits(text);
}

bool isLookalike(QChar c)
{
    return c == u'l' || c == u'I' || c == u'|' || c == u'O' || c == u'o';
}

struct Pattern
{
    SensitiveKind kind;
    QRegularExpression expression;
    std::function<bool(QStringView)> valid; // empty: every match counts
    // Numbers are tried again on the text with the letters the reader takes
    // for digits read as digits ("l0.42.7.191").
    bool lookalikes = false;
};

// The one table of what counts as a secret, in claiming order.
const std::vector<Pattern>& patterns()
{
    static const std::vector<Pattern> table = [] {
        const auto re = [](const char* pattern) {
            return QRegularExpression(QString::fromLatin1(pattern),
                                      QRegularExpression::UseUnicodePropertiesOption);
        };
        return std::vector<Pattern>{
            {SensitiveKind::credentialUrl, re(R"([A-Za-z][A-Za-z0-9+.-]*://[^\s/:@]+:[^\s/@]+@[^\s]+)"), {}},
            {SensitiveKind::email,
             re(R"([A-Za-z0-9._%+-]+@[A-Za-z0-9-]+(?:\.[A-Za-z0-9-]+)*\.[A-Za-z]{2,})"),
             {}},
            // The reader takes a small "@" for "G" or "©". Such a letter only
            // stands for one between a lower-case name and a lower-case domain
            // under a common top-level domain, so that "MyGit.io" stays a name.
            {SensitiveKind::email,
             re(R"((?<![\w.%+-])[a-z0-9._%+-]*[a-z0-9][G\x{a9}][a-z0-9][a-z0-9-]*(?:\.[a-z0-9-]+)*)"
                R"(\.(?:com|org|net|edu|gov|io|dev|app|co|uk|de|fr|es|it|nl|eu|ch|at|be|se|no|dk|fi|pl|pt|us|ca)"
                R"(|au|jp|info|biz|me)(?!\w|\.\w))"),
             {}},
            // A prefix's "_" or "-" may come back as a space or nothing.
            {SensitiveKind::token,
             // A "J" or "l" in the random part may come back as a bracket or a bar.
             re(R"((?<![A-Za-z0-9_])(?:gh[pousr][_ ]?[A-Za-z0-9\]\[|]{30,}|github[_ ]?pat[_ ]?[A-Za-z0-9_]{22,})"
                R"(|sk[- ]?[A-Za-z0-9_\]\[|-]{20,}|AKIA[0-9A-Z]{16}|xox[abposr][- ]?[A-Za-z0-9-]{10,})"
                R"(|eyJ[A-Za-z0-9_-]{8,}\.[A-Za-z0-9_-]{8,}\.[A-Za-z0-9_-]{8,}))"),
             validKey},
            {SensitiveKind::iban, re(R"(\b[A-Z]{2}\d{2}(?: ?[A-Z0-9]){11,30}\b)"), passesIbanChecksum, true},
            {SensitiveKind::cardNumber, re(R"(\b\d(?:[ -]?\d){12,18}\b)"), validCard, true},
            {SensitiveKind::ipv6, re(R"((?<![\w:.])(?:[0-9A-Fa-f]{0,4}:){2,7}[0-9A-Fa-f]{0,4}(?![\w:]))"),
             validIpv6},
            // Four dotted numbers right after "version" or "v" are a version.
            {SensitiveKind::ipv4,
             re(R"((?<![\w.])(?<![Vv]ersion )(?:\d{1,3}[.,]){3}\d{1,3}(?![\w.]|[.,]\d))"), validIpv4, true},
            {SensitiveKind::phone,
             re(R"((?<![\w+])(?:\+\d{1,3}[ .-]?)?(?:\(\d{1,4}\)[ .-]?)?\d{2,4}(?:[ .-]\d{2,5}){1,4}(?![\w:]))"),
             validPhone, true},
            // Unnamed keys: long hexadecimal or base64 runs.
            {SensitiveKind::token,
             re(R"((?<![A-Za-z0-9+/_-])(?:[0-9a-fA-F]{32,}|[A-Za-z0-9+/_-]{40,}={0,2})(?![A-Za-z0-9+/=_-]))"),
             mixesLettersAndDigits},
        };
    }();
    return table;
}

} // namespace

bool passesLuhn(QStringView digits)
{
    int sum = 0;
    bool twice = false;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (!digits[i].isDigit())
            return false;
        int d = digits[i].digitValue();
        if (twice && (d *= 2) > 9)
            d -= 9;
        sum += d;
        twice = !twice;
    }
    return !digits.isEmpty() && sum % 10 == 0;
}

bool passesIbanChecksum(QStringView text)
{
    QString iban;
    for (QChar c : text)
        if (!c.isSpace())
            iban.append(c.toUpper());
    if (iban.size() < 15 || iban.size() > 34)
        return false;
    // The first four characters move to the end; letters count as 10 to 35.
    const QString moved = iban.mid(4) + iban.left(4);
    int remainder = 0;
    for (QChar c : moved) {
        int value;
        if (c.isDigit())
            value = c.digitValue();
        else if (c >= u'A' && c <= u'Z')
            value = c.unicode() - u'A' + 10;
        else
            return false;
        remainder = (value > 9 ? remainder * 100 + value : remainder * 10 + value) % 97;
    }
    return remainder == 1;
}

QString lookalikesAsDigits(QStringView text)
{
    QString read = text.toString();
    qsizetype i = 0;
    while (i < text.size()) {
        if (!text[i].isDigit() && !isLookalike(text[i])) {
            ++i;
            continue;
        }
        qsizetype end = i;
        bool digit = false;
        while (end < text.size() && (text[end].isDigit() || isLookalike(text[end])))
            digit = text[end++].isDigit() || digit;
        // A run of them inside a word ("hello", "3f2a9c1") is the word's;
        // one that stands apart and holds a real digit is a number.
        const bool apart =
            (i == 0 || !text[i - 1].isLetter()) && (end == text.size() || !text[end].isLetter());
        if (digit && apart)
            for (qsizetype k = i; k < end; ++k) {
                const QChar c = text[k];
                // A bar is a table's or a pipe's edge unless digits stand on both sides.
                if (c == u'|' && (k == i || k + 1 == end))
                    continue;
                if (c == u'O' || c == u'o')
                    read[k] = u'0';
                else if (isLookalike(c))
                    read[k] = u'1';
            }
        i = end;
    }
    return read;
}

QList<SensitiveMatch> findSensitive(QStringView text)
{
    QList<SensitiveMatch> found;
    std::vector<bool> claimed(size_t(text.size()), false);
    const QString asDigits = lookalikesAsDigits(text);
    const auto claim = [&](const Pattern& pattern, QStringView searched) {
        QRegularExpressionMatchIterator it = pattern.expression.globalMatch(searched);
        while (it.hasNext()) {
            const QRegularExpressionMatch match = it.next();
            const qsizetype start = match.capturedStart(), length = match.capturedLength();
            const QStringView captured = searched.mid(start, length);
            if (length == 0 || (pattern.valid && !pattern.valid(captured)))
                continue;
            if (std::any_of(claimed.begin() + start, claimed.begin() + start + length,
                            [](bool c) { return c; }))
                continue;
            std::fill(claimed.begin() + start, claimed.begin() + start + length, true);
            found.append({pattern.kind, start, length});
        }
    };
    for (const Pattern& pattern : patterns()) {
        claim(pattern, text);
        // As read first: "|192.168.1.1" is an address, "1192.168.1.1" none.
        if (pattern.lookalikes && asDigits != text)
            claim(pattern, asDigits);
    }
    std::sort(found.begin(), found.end(),
              [](const SensitiveMatch& a, const SensitiveMatch& b) { return a.start < b.start; });
    return found;
}

} // namespace lustrelab
