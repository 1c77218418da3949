// The service's HTTP result parser, installed into HttpTask at engine start-up: every server
// task's reply passes through it before the task sees it.
//
// veskHttpErrorParser(status, response, &code, &desc):
//  - 200 and 206 are successes (true); every other status is a failure (false);
//  - 400: the body is the service's result document: reason 90000 gives -190000 (the client
//    must be upgraded), other reasons 90000..91000 give -11, any other reason N gives
//    -(100000 + N) with the reply's description; -100501 / -100502 about a microblog
//    customization drop that platform's binding; an unreadable body gives -5000;
//  - 403: -(100000 + X-Error), or -100001 without a usable X-Error, no description; when the
//    reply came from the service's own host the stored last login is forgotten;
//  - any other status: its HTTP code and text; a 404 or 5xx is also reported to the service's
//    error-report endpoint (ServiceErrorReport), unless the failing request was that report.
// Runs on the thread of the task (the "task" thread); the report's engine runs on that thread's
// run loop.
#pragma once

#include <optional>
#include <string>

namespace zu {

class HttpResponse;

bool veskHttpErrorParser(int status, const HttpResponse& response, int* code,
                         std::optional<std::string>* desc);

}  // namespace zu
