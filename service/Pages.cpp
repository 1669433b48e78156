#include "Pages.h"

#include <httplib.h>

#include <string>

namespace corvane_sim {

namespace {

struct Page {
    const char* path;
    const char* title;
    const char* body;
};

const Page kPages[] = {
    {"/help", "Corvane Help",
     "Quillon keeps your DNS records pointed at your current address. Log in with your "
     "Corvane user name and password; mark records for automatic IP to have them updated."},
    {"/services.asp", "Corvane Services",
     "Dynamic DNS for your own domains, free host names below the Corvane sub-domain, mail "
     "exchangers, aliases and port relays."},
    {"/v.1.3/support.asp", "Corvane Support",
     "Questions about your account or the client? Write to support, or read the help pages."},
    {"/v.1.6/login.asp", "Corvane Secure Login",
     "Log in to manage your account on the web. (This stand-in has no web accounts.)"},
    {"/tos.asp", "Corvane Terms of Service",
     "Use the service for hosts you are allowed to point. Free host names lapse when unused."},
};

std::string pageHtml(const Page& page) {
    return std::string("<!DOCTYPE html>\n<html>\n<head><meta charset=\"utf-8\"><title>") +
           page.title + "</title></head>\n<body>\n<h1>" + page.title + "</h1>\n<p>" + page.body +
           "</p>\n</body>\n</html>\n";
}

}  // namespace

void registerPages(httplib::Server& server) {
    for (const Page& page : kPages) {
        const std::string html = pageHtml(page);
        server.Get(page.path, [html](const httplib::Request&, httplib::Response& res) {
            res.set_content(html, "text/html; charset=utf-8");
        });
    }
}

}  // namespace corvane_sim
