// The activity log's files and line formats.
#include "log/privacy_log.h"

#include <cstdio>
#include <stdexcept>

#include "platform/ansi.h"
#include "platform/clock.h"
#include "platform/file_system.h"

namespace lumo {

namespace {

std::string Separator() {
    std::string line;
    for (int i = 0; i < 40; ++i)
        line += "-=";
    return line;
}

const char* StatusWord(int32_t status) {
    switch (status) {
    case vsUnknown:
        return "Unknown ";
    case vsFind:
        return "Find ";
    case vsDelete:
        return "Delete ";
    case vsFillBlank:
        return "Fill blank ";
    case vsKeepLocked:
        return "Keep locked ";
    default:
        return "";
    }
}

}  // namespace

PrivacyLog::PrivacyLog(FileSystem& files, Clock& clock, std::string logsFolder)
    : files_(files), clock_(clock), folder_(std::move(logsFolder)) {}

PrivacyLog::~PrivacyLog() = default;

std::string PrivacyLog::FileNameFor(DateTime t) {
    char name[32];
    std::snprintf(name, sizeof name, "L%04d%02d%02d.log", t.Year(), t.Month(), t.Day());
    return name;
}

std::string PrivacyLog::EntryLine(const PrivacyValue& pv) {
    const std::string& text = (pv.ValueType == 4 || pv.ValueType == 5) ? pv.Path : pv.ValueName;
    return StatusWord(pv.ValueStatus) + text;
}

std::string PrivacyLog::DateTimeText() { return clock_.DateTimeText(clock_.Now()); }

void PrivacyLog::StartLogging() {
    stream_.reset();
    DateTime now = clock_.Now();
    if (!files_.CreateFolder(folder_))
        throw std::runtime_error("the log folder " + folder_ + " cannot be created");
    LogFileName = JoinPath(folder_, FileNameFor(now));
    stream_ = files_.OpenForWrite(LogFileName, WriteMode::Append);
    if (!stream_)
        throw std::runtime_error("the log file " + LogFileName + " cannot be opened");
    WriteLine("");
    WriteLine(Separator());
    WriteLine("-=-=-=-=-=              start log at " + clock_.DateTimeText(now) + "              -=-=-=-=-=");
}

void PrivacyLog::EndLogging() {
    if (!stream_)
        return;
    WriteLine("-=-=-=-=-=             end log at " + DateTimeText() + "             -=-=-=-=-=");
    WriteLine(Separator());
    WriteLine("");
    stream_->Close();
    stream_.reset();
}

void PrivacyLog::AppendPrivacyValue(const PrivacyValue& pv) {
    if (stream_)
        WriteLine(EntryLine(pv));
}

void PrivacyLog::AppendPrivacyValues(const PrivacyValues& pvs) {
    if (!stream_)
        return;
    for (const PrivacyValuePtr& pv : pvs)
        WriteLine(EntryLine(*pv));
}

void PrivacyLog::AppendString(std::string_view sLog) {
    if (stream_)
        WriteLine(sLog);
}

void PrivacyLog::WriteLine(std::string_view utf8) {
    std::string bytes = ToAnsi(utf8);
    bytes += "\r\n";
    stream_->Write(bytes.data(), bytes.size());
}

}  // namespace lumo
