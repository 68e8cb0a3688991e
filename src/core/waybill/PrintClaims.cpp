#include "core/waybill/PrintClaims.h"

#include <atomic>
#include <chrono>
#include <random>
#include <unistd.h>

namespace zentra {

namespace {

std::string idList(const std::vector<std::int64_t> &ids)
{
    std::string list = "[";
    for (std::size_t i = 0; i < ids.size(); ++i)
        list += (i ? "," : "") + std::to_string(ids[i]);
    return list + "]";
}

}

std::string stationName()
{
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || !*host)
        return "localhost";
    return host;
}

PrintClaimJob PrintClaimJob::start(int seconds)
{
    static std::atomic<unsigned> serial{0};
    std::random_device random;
    PrintClaimJob j;
    j.station = stationName();
    j.job = j.station + ":" + std::to_string(::getpid()) + ":" + std::to_string(++serial) + ":" +
            std::to_string(random());
    j.seconds = seconds;
    return j;
}

std::vector<std::int64_t> claimRows(DbConnection &db, const PrintClaimJob &job, const std::vector<std::int64_t> &ids,
                                    bool *ok)
{
    std::vector<std::int64_t> held;
    if (ok)
        *ok = false;
    if (ids.empty()) {
        if (ok)
            *ok = true;
        return held;
    }
    const SqlDialect &d = db.dialect();
    const std::string now = d.epochNow();
    // One statement for all rows: a row nobody holds is inserted, a claim
    // that ran out (or is this job's own) is taken over, a live claim of
    // another job stays.
    const std::string claim =
        "insert into printClaim(printId, claimStation, claimJob, claimExpires) "
        "select printId, ?1, ?2, " + now + " + ?3 from printList where printId in (" + d.idSet("?4") + ") "
        "on conflict(printId) do update set claimStation = excluded.claimStation, claimJob = excluded.claimJob, "
        "claimExpires = excluded.claimExpires "
        "where printClaim.claimExpires < " + now + " or printClaim.claimJob = excluded.claimJob";
    Transaction tx(db);
    if (!tx.active() || db.execute(claim, {job.station, job.job, job.seconds, idList(ids)}) < 0)
        return held;
    DbRows mine = db.query("select printId from printClaim where claimJob = ?", {job.job});
    if (!mine.ok || !tx.commit())
        return held;
    std::map<std::int64_t, bool> isMine;
    for (const DbRow &r : mine)
        isMine[r.integer("printId")] = true;
    for (std::int64_t id : ids)
        if (isMine.count(id)) {
            held.push_back(id);
            isMine.erase(id);
        }
    if (ok)
        *ok = true;
    return held;
}

bool renewClaims(DbConnection &db, const PrintClaimJob &job)
{
    return db.execute("update printClaim set claimExpires = " + db.dialect().epochNow() + " + ? where claimJob = ?",
                      {job.seconds, job.job}) >= 0;
}

bool releaseClaims(DbConnection &db, const PrintClaimJob &job, const std::vector<std::int64_t> &ids)
{
    if (ids.empty())
        return db.execute("delete from printClaim where claimJob = ?", {job.job}) >= 0;
    return db.execute("delete from printClaim where claimJob = ? and printId in (" + db.dialect().idSet("?") + ")",
                      {job.job, idList(ids)}) >= 0;
}

std::map<std::int64_t, std::string> claimedRows(DbConnection &db, const std::string &exceptJob, bool *ok)
{
    std::map<std::int64_t, std::string> out;
    DbRows rows = db.query("select printId, claimStation from printClaim where claimExpires >= " +
                               db.dialect().epochNow() + " and claimJob <> ?",
                           {exceptJob});
    if (ok)
        *ok = rows.ok;
    for (const DbRow &r : rows)
        out[r.integer("printId")] = r.text("claimStation");
    return out;
}

}
