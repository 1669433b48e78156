#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace corvane_sim {

enum class FaultKind { Delay, Drop, Garbage, Status, Hold };

struct Fault {
    FaultKind kind = FaultKind::Delay;
    // Milliseconds for Delay, the HTTP status for Status; for Hold 0 holds the request before the
    // service acts on it, 1 after it acted and before the answer.
    int param = 0;
    std::string error;  // Status: when not empty, the body is the service's reply "Error:" + it
};

// The state that tests steer through the control endpoints: the log of service request
// lines, the addresses reported to users, and the faults queued for the next requests.
// Shared by all handler threads.
class SimControl {
  public:
    void logRequest(const std::string& line);
    std::vector<std::string> requestLog() const;
    void clearLog();

    // An empty address removes the user's override (the default address is reported again).
    void setAddress(const std::string& username, const std::string& address);
    std::optional<std::string> addressFor(const std::string& username) const;

    // Queues `count` faults of one kind after those already queued.
    void addFaults(Fault fault, int count);
    void clearFaults();
    // The fault for the service request that arrives now, if one is queued.
    std::optional<Fault> takeFault();

    // Holds the request being handled until release() or the stop; true when it is to be
    // answered, false when its connection is to be dropped (and, held before acting, the
    // service never acts on it: as if the client had died before sending it).
    bool holdUntilReleased();
    // How many requests are held now.
    int held() const;
    // Lets every held request go on: answered, or dropped.
    void release(bool answer);

    // Sleeps for the delay unless the service is told to stop first.
    void sleepUnlessStopping(std::chrono::milliseconds delay);
    void stopping();

  private:
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    int held_ = 0;
    // Counts the releases, so that a held request sees its own.
    unsigned releases_ = 0;
    bool releaseAnswers_ = false;
    std::vector<std::string> log_;
    std::map<std::string, std::string> addresses_;  // keyed by the lower-cased user name
    std::deque<std::pair<Fault, int>> faults_;
};

}  // namespace corvane_sim
