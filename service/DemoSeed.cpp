#include "DemoSeed.h"

#include <ctime>
#include <string>

#include "Store.h"

namespace corvane_sim {

std::string todayText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[16];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d", &local);
    return buffer;
}

std::string oneYearAfter(const std::string& date) {
    if (date.size() != 10) {
        return date;
    }
    const int year = std::stoi(date.substr(0, 4)) + 1;
    std::string monthDay = date.substr(4);
    if (monthDay == "-02-29") {
        monthDay = "-02-28";
    }
    return std::to_string(year) + monthDay;
}

void seedDemo(Store& store, const std::string& today) {
    const std::string nextYear = oneYearAfter(today);
    store.addAccountIfAbsent(
        Account{"demo", "demo", "Dana", "Demo", "demo-home.example,demo-lab.example", "",
                "A,CNAME,MX 1,PORT RELAY", nextYear, "5"},
        {
            {"demo-home.example", "A", "@", "192.0.2.10"},
            {"demo-home.example", "A", "www", "192.0.2.10"},
            {"demo-home.example", "MX 1", "@", "mail.demo-home.example"},
            {"demo-lab.example", "A", "bench", "192.0.2.11"},
            {"demo-lab.example", "CNAME", "files", "www.demo-home.example"},
            {"demo-lab.example", "PORT RELAY", "cam", "HTTP://192.0.2.11:8080/cam"},
        });
    // A free account owns one host, user name + "." + sub-domain, and aliases below it.
    store.addAccountIfAbsent(Account{"free", "free", "Frankie", "Free", "", "free.corvane.example",
                                     "A,CNAME,MX 1", nextYear, "1"},
                             {{"free.corvane.example", "A", "free", "192.0.2.20"}});
    store.addAccountIfAbsent(Account{"expired", "expired", "Eddie", "Expired",
                                     "expired-site.example", "", "A,CNAME", "2020-01-31", "1"},
                             {{"expired-site.example", "A", "@", "192.0.2.30"}});
}

}  // namespace corvane_sim
