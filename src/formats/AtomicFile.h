#pragma once

#include <cstdio>
#include <string>

// Replaces a file's contents so that a crash or a full disk never leaves it half
// written: the bytes go to a new file in the same folder, are flushed to disk, and the
// new file is then renamed over the old one. False on any failure; the old file is
// then untouched and no temporary file is left behind.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

// An output file written piece by piece (a PDF, a PNG page, a decoded picture) that
// takes the place of its target only once it is complete.
//
// A target that is a regular file, or does not exist yet, is written to a temporary file
// in the same folder, which Commit renames over the target: until then the old file
// stays as it was, and a failure leaves it untouched. A symbolic link is followed, so the
// file it points to is replaced that way and the link itself stays. Any other target (a
// device such as /dev/stdout, a named pipe) is written directly and never removed.
class CAtomicOutput {
public:
    CAtomicOutput() = default;
    ~CAtomicOutput();
    CAtomicOutput(const CAtomicOutput&) = delete;
    CAtomicOutput& operator=(const CAtomicOutput&) = delete;

    // False with LastError() (the reason, such as "Permission denied") when the target
    // cannot be written.
    bool Open(const std::string& path);
    std::FILE* File() const { return file_; }
    bool IsOpen() const { return file_ != nullptr; }
    // Whether the target is written in place (not a regular file).
    bool IsDirect() const { return direct_; }
    // Flushes everything to disk and puts the new file in place; false (the old file
    // then untouched, the temporary one removed) when any write failed.
    bool Commit();
    // Throws away what was written; a target written in place is left where it is.
    void Discard();
    // Marks the output as failed, so that Commit refuses it.
    void SetFailed() { failed_ = true; }
    const std::string& LastError() const { return error_; }

private:
    std::string target_; // the file that is replaced (symbolic links resolved)
    std::string temp_;   // the temporary file, "" when writing in place
    std::FILE* file_ = nullptr;
    bool direct_ = false;
    bool failed_ = false;
    std::string error_;
};
