// PrivacyLog: the activity log — a text file per day, "L" + yyyymmdd + ".log" in the logs folder,
// to which each logged run appends a start block, one line per trace, free lines and an end block.
// Bytes are in the ANSI code page, lines end with CR LF, and every write does nothing while the
// log is closed.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "base/date_time.h"
#include "cleaner/privacy_value.h"

namespace lumo {

class Clock;
class FileSystem;
class FileWriter;

class PrivacyLog : public TraceLog {
public:
    // `logsFolder` is the "logs" folder where the user's files live; it is created on the first start.
    PrivacyLog(FileSystem& files, Clock& clock, std::string logsFolder);
    ~PrivacyLog() override;

    // Full path of the file opened by the last StartLogging.
    std::string LogFileName;

    // Opens today's file for appending (creating the folder and the file when missing) and writes
    // the start block; an open log is released and opened anew. Throws std::runtime_error when
    // the folder cannot be created or the file cannot be opened; the log then stays closed.
    void StartLogging();
    // Writes the end block and closes the file; nothing while closed.
    void EndLogging();
    bool IsOpen() const { return static_cast<bool>(stream_); }

    // The status word of the trace followed by its path (files, folders) or its name (the rest).
    void AppendPrivacyValue(const PrivacyValue& pv) override;
    void AppendPrivacyValues(const PrivacyValues& pvs);
    void AppendString(std::string_view sLog) override;
    std::string DateTimeText() override;

    // The entry line of a trace, as AppendPrivacyValue writes it (UTF-8, no line end).
    static std::string EntryLine(const PrivacyValue& pv);
    // "L" + yyyymmdd + ".log" for the date of `t`.
    static std::string FileNameFor(DateTime t);

private:
    void WriteLine(std::string_view utf8);

    FileSystem& files_;
    Clock& clock_;
    std::string folder_;
    std::unique_ptr<FileWriter> stream_;
};

}  // namespace lumo
