#pragma once
// Writing a file the user asked for without ever destroying a good one: the
// bytes go to a temporary file beside the target, which is renamed over the
// target only once it is complete. A write that fails (a full disk, a
// file-size limit, an encoder that gives up) or a run that is interrupted
// removes the temporary and leaves whatever was at the target as it was.
// Every program here that writes a requested file (frames, contact sheets,
// videos, screenshots) goes through this one class.
//
//   lb_engine::OutputFile out("shot.png");
//   write everything to out.temporary() ...;
//   if (!written) return fail("...; " + out.unchangedNote());
//   if (!out.commit(&error)) return fail(error);
//
// The temporary sits in the target's folder (a rename across file systems is
// not atomic) and is hidden: ".NAME.partial-XXXXXXXX.EXT" for "NAME.EXT". It
// keeps the target's extension last, since writers such as ffmpeg pick the
// format from it.

#include "NonCopyable.h"

#include <string>

namespace lb_engine {

class OutputFile : NonCopyable {
 public:
  // Picks a temporary name that does not exist yet; creates nothing.
  explicit OutputFile(const std::string& target);
  // Removes the temporary unless it was committed.
  ~OutputFile();

  const std::string& target() const { return target_; }
  // Where the writer writes instead of the target.
  const std::string& temporary() const { return temporary_; }

  // Renames the complete temporary over the target, replacing it. False with a
  // message naming the target (the temporary is removed and the target left
  // as it was).
  bool commit(std::string* error);
  // Removes the temporary now (idempotent).
  void discard();

  // For failure messages: "TARGET was left unchanged", or "TARGET was not
  // written" where there was no file at the target when this was made.
  std::string unchangedNote() const;

 private:
  std::string target_;
  std::string temporary_;
  bool targetExisted_ = false;
  bool committed_ = false;
};

// An output path as the user gave it, taken from `cwd` (the working folder as
// workingFolder() gives it) unless it is absolute or starts at a root: "/x",
// and on Windows also "C:\x", "C:/x", "\x" (the current drive's root) and
// "C:x" (that drive's own working folder). Every output path of every program
// goes through this one rule, fixed before the program changes folder.
std::string outputPathFrom(const std::string& path, const std::string& cwd);

// The working folder, UTF-8 with '/' separators, or "." when it cannot be known.
std::string workingFolder();

// Makes SIGINT and SIGTERM set a flag instead of ending the process, so that a
// program busy writing outputs stops at its next check, removes its
// temporaries and says which targets it left unchanged. Signals the process
// was started with ignored stay ignored (a job started with nohup or in the
// background of a script). Also ignores SIGXFSZ where it exists: past a
// file-size limit (ulimit -f) a write then fails with EFBIG and is reported
// like a full disk, instead of the signal ending the process with the
// temporary left behind. Child processes inherit the ignored SIGXFSZ. Call at
// the start of main(), before SDL installs handlers of its own.
void catchStopSignals();

// The signal that asked the process to stop (SIGINT or SIGTERM), or 0.
int stopSignal();

// "interrupted by SIGINT" / "... SIGTERM" for the signal stopSignal() gives.
std::string describeStopSignal();

}  // namespace lb_engine
