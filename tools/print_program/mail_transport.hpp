// Sending one message: over SMTP with libcurl (implicit TLS, required
// STARTTLS or, for a server on this machine, none; the login's password
// from the key file; the blind copy as one more recipient), through
// "sendmail -t -oi", or into a folder as a .eml file (nothing sent).
// Every transport keeps to the settings' messages a minute.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "tools/print_program/mail_message.hpp"
#include "tools/print_program/mail_settings.hpp"

namespace vela {

struct SendResult {
    enum class Kind { Sent, Written, Failed };
    Kind kind = Kind::Failed;
    std::string reply;     // the server's last reply, the file written, or the reason
    bool stopAll = false;  // no later message can succeed either (login refused, ...)
};

class MailTransport {
  public:
    virtual ~MailTransport() = default;
    // emlPath: where the folder transport writes the message.
    virtual SendResult Send(const MailMessage& message, const std::string& emlPath) = 0;
};

// The transport for the settings (whose problem must be empty).
std::unique_ptr<MailTransport> MakeMailTransport(const MailSettings& settings);

// At most perMinute events in any 60 seconds: Wait sleeps as long as needed
// before the next one. The clock and the sleep are the caller's for tests.
class SendThrottle {
  public:
    using Clock = std::function<double()>;  // seconds
    using Sleep = std::function<void(double)>;
    SendThrottle(int perMinute, Clock clock, Sleep sleep);
    explicit SendThrottle(int perMinute);
    void Wait();

  private:
    int perMinute_;
    Clock clock_;
    Sleep sleep_;
    std::deque<double> times_;
};

}  // namespace vela
