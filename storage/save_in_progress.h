#pragma once

// SIGINT, SIGTERM and SIGHUP must not end the process in the middle of a save: a file being
// overwritten in place would be torn and a named temporary file would stay. While a save is in
// progress such a signal waits; it ends the process (as its default would: a shell sees 128 plus
// the signal's number) as soon as the save is complete or rolled back.
namespace storage {

// Installs the handlers, leaving alone a signal the process ignores (as under nohup).
void deferTerminationDuringSaves();

// Marks a save in progress for as long as it lives.
class SaveInProgress {
public:
    SaveInProgress();
    ~SaveInProgress();
    SaveInProgress(const SaveInProgress&) = delete;
    SaveInProgress& operator=(const SaveInProgress&) = delete;
};

}  // namespace storage
