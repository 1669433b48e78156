#include "DemoSeed.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "SimStore.h"

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

std::string monthFirstDate(const std::string& stored) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char tail = 0;
    const int fields = std::sscanf(stored.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &year, &month, &day,
                                   &hour, &minute, &second, &tail);
    if ((fields != 3 && fields != 6) || (fields == 3 && stored.size() != 10)) {
        return stored;
    }
    std::string text =
        std::to_string(month) + "/" + std::to_string(day) + "/" + std::to_string(year);
    if (fields == 6) {
        char time[32];
        std::snprintf(time, sizeof time, " %d:%02d:%02d %s", hour % 12 == 0 ? 12 : hour % 12,
                      minute, second, hour < 12 ? "AM" : "PM");
        text += time;
    }
    return text;
}

void seedDemo(SimStore& store, const std::string& today) {
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
    store.addAccountIfAbsent(
        Account{"expired", "expired", "Eddie", "Expired", "expired-site.example", "", "A,CNAME",
                "2020-01-31 15:45:00", "1"},
        {{"expired-site.example", "A", "@", "192.0.2.30"}});
}

}  // namespace corvane_sim
