// Local time from GetLocalTime; texts from GetDateFormatW, GetTimeFormatW and GetNumberFormatW
// in the user's locale. "##,##0.00" is the locale's number form with exactly two decimals and
// groups of three.
#include "platform/win32/win32_clock.h"

#include <cmath>
#include <cstdio>

#include "platform/win32/windows_api.h"

namespace lumo {

namespace {

SYSTEMTIME ToSystemTime(DateTime t) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(t.Year());
    st.wMonth = static_cast<WORD>(t.Month());
    st.wDay = static_cast<WORD>(t.Day());
    st.wHour = static_cast<WORD>(t.Hour());
    st.wMinute = static_cast<WORD>(t.Minute());
    st.wSecond = static_cast<WORD>(t.Second());
    return st;
}

std::wstring LocaleText(LCTYPE type, const wchar_t* fallback) {
    wchar_t text[16];
    return GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, 16) > 0 ? std::wstring(text) : std::wstring(fallback);
}

}  // namespace

DateTime Win32Clock::Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return DateTime::FromParts(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
}

std::string Win32Clock::ShortDate(DateTime t) {
    SYSTEMTIME st = ToSystemTime(t);
    wchar_t text[128];
    int n = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, text, 128);
    return n > 0 ? win32::Narrow(std::wstring_view(text, static_cast<size_t>(n - 1))) : std::string();
}

std::string Win32Clock::LongTime(DateTime t) {
    SYSTEMTIME st = ToSystemTime(t);
    wchar_t text[128];
    int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, text, 128);
    return n > 0 ? win32::Narrow(std::wstring_view(text, static_cast<size_t>(n - 1))) : std::string();
}

std::string Win32Clock::Number(double value) {
    wchar_t plain[64];
    std::swprintf(plain, 64, L"%.2f", std::round(value * 100.0) / 100.0);
    std::wstring decimal = LocaleText(LOCALE_SDECIMAL, L".");
    std::wstring thousand = LocaleText(LOCALE_STHOUSAND, L",");
    NUMBERFMTW format{};
    format.NumDigits = 2;
    format.LeadingZero = 1;
    format.Grouping = 3;
    format.lpDecimalSep = decimal.data();
    format.lpThousandSep = thousand.data();
    format.NegativeOrder = 1;  // "-1.1"
    wchar_t text[128];
    int n = GetNumberFormatW(LOCALE_USER_DEFAULT, 0, plain, &format, text, 128);
    return n > 0 ? win32::Narrow(std::wstring_view(text, static_cast<size_t>(n - 1))) : std::string();
}

}  // namespace lumo
