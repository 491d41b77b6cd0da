#include "corvane/platform/FormatSettings.h"

#include "corvane/platform/DateUtils.h"

#include <cctype>
#include <string_view>

namespace corvane {

namespace {

// British conventions: day before month.
TFormatSettings English()
{
    return {
        {"January", "February", "March", "April", "May", "June", "July", "August", "September", "October", "November",
         "December"},
        {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
        {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
        {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
        "dd/MM/yyyy",
        "dd MMMM yyyy",
        '/',
        ':',
        "AM",
        "PM",
        "HH:mm",
        "HH:mm:ss",
        '.',
    };
}

TFormatSettings German()
{
    return {
        {"Januar", "Februar", "M\u00e4rz", "April", "Mai", "Juni", "Juli", "August", "September", "Oktober", "November",
         "Dezember"},
        {"Jan", "Feb", "M\u00e4r", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
        {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"},
        {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"},
        "dd.MM.yyyy",
        "dddd, d. MMMM yyyy",
        '.',
        ':',
        "AM",
        "PM",
        "hh:mm",
        "hh:mm:ss",
        ',',
    };
}

TFormatSettings French()
{
    return {
        {"janvier", "f\u00e9vrier", "mars", "avril", "mai", "juin", "juillet", "ao\u00fbt", "septembre", "octobre",
         "novembre", "d\u00e9cembre"},
        {"janv.", "f\u00e9vr.", "mars", "avr.", "mai", "juin", "juil.", "ao\u00fbt", "sept.", "oct.", "nov.",
         "d\u00e9c."},
        {"dimanche", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi"},
        {"dim.", "lun.", "mar.", "mer.", "jeu.", "ven.", "sam."},
        "dd/MM/yyyy",
        "dddd d MMMM yyyy",
        '/',
        ':',
        "AM",
        "PM",
        "hh:mm",
        "hh:mm:ss",
        ',',
    };
}

enum class Kind {
    Literal,
    Quoted,
    AmPm,
    AmPmStrings,
    Field
};

struct Token {
    Kind kind;
    char letter; // a field's specifier in lower case, the quote, or the literal character
    std::size_t pos;
    std::size_t len;
};

char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool StartsWithNoCase(const std::string& text, std::size_t pos, const char* word)
{
    for (std::size_t k = 0; word[k] != '\0'; ++k) {
        if (pos + k >= text.size() || Lower(text[pos + k]) != word[k])
            return false;
    }
    return true;
}

Token ReadToken(const std::string& format, std::size_t pos)
{
    const char c = format[pos];
    if (c == '"' || c == '\'') {
        const std::size_t close = format.find(c, pos + 1);
        const std::size_t end = close == std::string::npos ? format.size() : close + 1;
        return {Kind::Quoted, c, pos, end - pos};
    }
    if (StartsWithNoCase(format, pos, "am/pm"))
        return {Kind::AmPm, 'a', pos, 5};
    if (StartsWithNoCase(format, pos, "ampm"))
        return {Kind::AmPmStrings, 'a', pos, 4};
    const char letter = Lower(c);
    static constexpr std::string_view Fields = "dmyhnsz";
    if (Fields.find(letter) == std::string_view::npos)
        return {Kind::Literal, c, pos, 1};
    std::size_t end = pos + 1;
    while (end < format.size() && Lower(format[end]) == letter)
        ++end;
    return {Kind::Field, letter, pos, end - pos};
}

bool UsesTwelveHourClock(const std::string& format)
{
    for (std::size_t pos = 0; pos < format.size();) {
        const Token token = ReadToken(format, pos);
        if (token.kind == Kind::AmPm || token.kind == Kind::AmPmStrings)
            return true;
        pos += token.len;
    }
    return false;
}

std::string Padded(int value, std::size_t width)
{
    std::string digits = std::to_string(value);
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), '0');
    return digits;
}

// Minimal digits for one letter, two digits for more.
std::string Number(int value, std::size_t count)
{
    return Padded(value, count == 1 ? 1 : 2);
}

struct Parts {
    int year, month, day, hour, minute, second, ms, weekday;
    bool twelveHour;
};

std::string FormatField(const Token& token, const Parts& p, bool afterHour)
{
    const TFormatSettings& fs = FormatSettings();
    const std::size_t n = token.len;
    switch (token.letter) {
    case 'd':
        if (n <= 2)
            return Number(p.day, n);
        return n == 3 ? fs.ShortDayNames[p.weekday % 7] : fs.LongDayNames[p.weekday % 7];
    case 'm':
        if (afterHour && n <= 2)
            return Number(p.minute, n);
        if (n <= 2)
            return Number(p.month, n);
        return n == 3 ? fs.ShortMonthNames[p.month - 1] : fs.LongMonthNames[p.month - 1];
    case 'y':
        return n <= 2 ? Padded(p.year % 100, 2) : Padded(p.year, 4);
    case 'h': {
        const int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
        return Number(p.twelveHour ? hour12 : p.hour, n);
    }
    case 'n':
        return Number(p.minute, n);
    case 's':
        return Number(p.second, n);
    default: // 'z'
        return n >= 3 ? Padded(p.ms, 3) : std::to_string(p.ms);
    }
}

} // namespace

TFormatSettings& FormatSettings()
{
    static TFormatSettings settings = English();
    return settings;
}

void SetFormatSettings(const std::string& lang)
{
    if (lang == "de")
        FormatSettings() = German();
    else if (lang == "fr")
        FormatSettings() = French();
    else
        FormatSettings() = English();
}

std::string FormatDateTime(const std::string& format, TDateTime dt)
{
    const TFormatSettings& fs = FormatSettings();
    Parts p{};
    DecodeDate(dt, p.year, p.month, p.day);
    DecodeTime(dt, p.hour, p.minute, p.second, p.ms);
    p.weekday = DayOfTheWeek(dt);
    p.twelveHour = UsesTwelveHourClock(format);

    std::string out;
    bool afterHour = false; // the last specifier was h or hh
    for (std::size_t pos = 0; pos < format.size();) {
        const Token token = ReadToken(format, pos);
        pos += token.len;
        switch (token.kind) {
        case Kind::Quoted: {
            const bool closed = token.len >= 2 && format[token.pos + token.len - 1] == token.letter;
            out.append(format, token.pos + 1, token.len - (closed ? 2 : 1));
            continue;
        }
        case Kind::Literal:
            out += token.letter == '/' ? fs.DateSeparator : token.letter == ':' ? fs.TimeSeparator : token.letter;
            continue;
        case Kind::AmPm:
            out.append(format, token.pos + (p.hour >= 12 ? 3 : 0), 2);
            break;
        case Kind::AmPmStrings:
            out += p.hour >= 12 ? fs.TimePMString : fs.TimeAMString;
            break;
        case Kind::Field:
            out += FormatField(token, p, afterHour);
            break;
        }
        afterHour = token.kind == Kind::Field && token.letter == 'h';
    }
    return out;
}

} // namespace corvane
