#pragma once

#include "core/data/DbConnection.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zentra {

// Claims on print-list rows, so that stations batch-printing the same list
// never print one waybill twice. A job claims the rows it is about to print
// (table printClaim: the row, the station's name, the job, and when the claim
// runs out on the database's clock); rows another job holds are passed over.
// A running job renews its claims; one that ends releases what it did not
// print, and the move of a printed row takes its claim along. A job that dies
// leaves claims that run out by themselves.
struct PrintClaimJob {
    std::string station; // shown to the other stations: this computer's name
    std::string job;     // unique to the job
    int seconds = 600;   // how long a claim lasts without renewal

    // A job of this computer ("host", a new job id each time).
    static PrintClaimJob start(int seconds = 600);
};

// This computer's name as the other stations see it.
std::string stationName();

// Claims the rows `ids` that no other job holds (or whose claim ran out), in
// one transaction: the ids this job now holds, in the order given. Ids no
// longer in the list are passed over. `ok` (when given) is false when the
// statements failed (the engine's message is then in db.lastError(); nothing
// was claimed).
std::vector<std::int64_t> claimRows(DbConnection &db, const PrintClaimJob &job, const std::vector<std::int64_t> &ids,
                                    bool *ok = nullptr);

// Moves the expiry of the job's claims on: false when that failed.
bool renewClaims(DbConnection &db, const PrintClaimJob &job);

// Releases the job's claims on these rows (all of them when `ids` is empty).
bool releaseClaims(DbConnection &db, const PrintClaimJob &job, const std::vector<std::int64_t> &ids = {});

// The rows other jobs hold now, with their station's name. `exceptJob` is
// this process's own job (empty: none).
std::map<std::int64_t, std::string> claimedRows(DbConnection &db, const std::string &exceptJob = {}, bool *ok = nullptr);

}
