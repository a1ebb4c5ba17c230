#pragma once

#include "raw_value.h"

#include <QList>
#include <QStringView>

namespace lustrelab {

// What must not be shared from a screenshot's text.
enum class SensitiveKind { credentialUrl, email, token, iban, cardNumber, ipv6, ipv4, phone };

// The raw value names the kind in the sidebar's count and on the command line.
template <> struct RawValues<SensitiveKind>
{
    static constexpr std::array<std::pair<SensitiveKind, const char*>, 8> cases{{
        {SensitiveKind::credentialUrl, "URL with credentials"},
        {SensitiveKind::email, "email address"},
        {SensitiveKind::token, "key or token"},
        {SensitiveKind::iban, "IBAN"},
        {SensitiveKind::cardNumber, "card number"},
        {SensitiveKind::ipv6, "IPv6 address"},
        {SensitiveKind::ipv4, "IPv4 address"},
        {SensitiveKind::phone, "phone number"},
    }};
};

struct SensitiveMatch
{
    SensitiveKind kind;
    qsizetype start = 0; // in the text searched
    qsizetype length = 0;
    friend bool operator==(const SensitiveMatch&, const SensitiveMatch&) = default;
};

// Every secret in `text`, in text order. The patterns are tried in the
// order of the enumeration (long unnamed hex or base64 keys last), and a
// later one never claims characters an earlier one took (a URL's password is
// not also a token), so each secret is found once. Numbers with a checksum (cards: Luhn; IBANs: mod 97) and
// addresses with a range (IPv4 octets) only count when they pass it. Numbers are also looked for with
// look-alike letters read as digits, and a few well-known misreadings of "@" and of a key prefix's "_" count.
QList<SensitiveMatch> findSensitive(QStringView text);

// `text` with the letters a reader takes for digits ("l", "I", "|" for 1;
// "O", "o" for 0) read as digits where they stand in a number: a run of
// digits and such letters that holds a real digit and is not part of a
// longer word. Same length as `text`, so positions carry over.
QString lookalikesAsDigits(QStringView text);

// The checksums, for the tests and for whoever else needs them.
bool passesLuhn(QStringView digits);
bool passesIbanChecksum(QStringView iban);

} // namespace lustrelab
