#pragma once

#include <string>
#include <utility>
#include <vector>

#include "SimStore.h"

namespace corvane_sim {

// Builds the HTML reply pages: one labelled field per <p> element, "Tag:" immediately
// followed by its value, so that the client reads a value up to the next "</p".
class Reply {
  public:
    // A line holding only the word SUCCESS, which marks an update request as successful.
    Reply& success();
    Reply& field(const std::string& tag, const std::string& value);
    std::string html() const;

  private:
    std::vector<std::string> paragraphs_;
};

// The record list: entries "domain;;type;;name;;address" separated by "~~".
std::string formatRecordList(const std::vector<DnsRecord>& records);

// A refusal: only an "Error:" field. It never carries the record list or the caller's
// values, so the word SUCCESS cannot sneak into a failure reply through user data.
std::string errorReply(const std::string& message);

}  // namespace corvane_sim
