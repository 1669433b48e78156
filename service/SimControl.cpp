#include "SimControl.h"

#include "Query.h"

namespace corvane_sim {

void SimControl::logRequest(const std::string& line) {
    std::lock_guard lock(mutex_);
    log_.push_back(line);
}

std::vector<std::string> SimControl::requestLog() const {
    std::lock_guard lock(mutex_);
    return log_;
}

void SimControl::clearLog() {
    std::lock_guard lock(mutex_);
    log_.clear();
}

void SimControl::setAddress(const std::string& username, const std::string& address) {
    std::lock_guard lock(mutex_);
    if (address.empty()) {
        addresses_.erase(toLower(username));
    } else {
        addresses_[toLower(username)] = address;
    }
}

std::optional<std::string> SimControl::addressFor(const std::string& username) const {
    std::lock_guard lock(mutex_);
    const auto it = addresses_.find(toLower(username));
    if (it == addresses_.end()) {
        return std::nullopt;
    }
    return it->second;
}

void SimControl::addFaults(Fault fault, int count) {
    if (count <= 0) {
        return;
    }
    std::lock_guard lock(mutex_);
    faults_.emplace_back(fault, count);
}

void SimControl::clearFaults() {
    std::lock_guard lock(mutex_);
    faults_.clear();
}

std::optional<Fault> SimControl::takeFault() {
    std::lock_guard lock(mutex_);
    if (faults_.empty()) {
        return std::nullopt;
    }
    const Fault fault = faults_.front().first;
    if (--faults_.front().second == 0) {
        faults_.pop_front();
    }
    return fault;
}

bool SimControl::holdUntilReleased() {
    std::unique_lock lock(mutex_);
    const unsigned seen = releases_;
    ++held_;
    wake_.wait(lock, [&] { return stopping_ || releases_ != seen; });
    --held_;
    return !stopping_ && releaseAnswers_;
}

int SimControl::held() const {
    std::lock_guard lock(mutex_);
    return held_;
}

void SimControl::release(bool answer) {
    {
        std::lock_guard lock(mutex_);
        ++releases_;
        releaseAnswers_ = answer;
    }
    wake_.notify_all();
}

void SimControl::sleepUnlessStopping(std::chrono::milliseconds delay) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, delay, [this] { return stopping_; });
}

void SimControl::stopping() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
}

}  // namespace corvane_sim
