#include "tools/print_program/mail_transport.hpp"

#include <curl/curl.h>

#include <cstring>
#include <fstream>
#include <thread>

#include "platform/process.hpp"

namespace vela {
namespace {

class FolderTransport : public MailTransport {
  public:
    SendResult Send(const MailMessage& message, const std::string& emlPath) override {
        SendResult result;
        std::string text;
        if (!ComposeMessage(message, true, text)) {
            result.reply = "cannot read " + message.attachmentPath;
            return result;
        }
        std::ofstream out(emlPath, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            result.reply = "cannot write " + emlPath;
            return result;
        }
        result.kind = SendResult::Kind::Written;
        result.reply = emlPath.substr(emlPath.rfind('/') + 1);
        return result;
    }
};

class SendmailTransport : public MailTransport {
  public:
    SendResult Send(const MailMessage& message, const std::string&) override {
        SendResult result;
        std::string text;
        if (!ComposeMessage(message, true, text)) {
            result.reply = "cannot read " + message.attachmentPath;
            return result;
        }
        const int status = RunPiped({"sendmail", "-t", "-oi"}, text, nullptr);
        if (status == 0) {
            result.kind = SendResult::Kind::Sent;
            result.reply = "sendmail accepted it";
        } else if (status < 0) {
            result.reply = "sendmail could not be started";
            result.stopAll = true;
        } else {
            result.reply = "sendmail ended with status " + std::to_string(status);
        }
        return result;
    }
};

struct CurlGlobal {
    CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    ~CurlGlobal() { curl_global_cleanup(); }
};

// Collects the SMTP dialogue's server lines, to report the last reply.
int CurlDebug(CURL*, curl_infotype type, char* data, size_t size, void* user) {
    if (type == CURLINFO_HEADER_IN) {
        std::string line(data, size);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        *static_cast<std::string*>(user) = line;
    }
    return 0;
}

class SmtpTransport : public MailTransport {
  public:
    explicit SmtpTransport(const MailSettings& settings) : settings_(settings) {
        static CurlGlobal global;
        if (!settings_.keyFile.empty()) {
            havePassword_ = ReadKeyFile(settings_.keyFile, password_, keyError_);
        }
        curl_ = curl_easy_init();
    }
    ~SmtpTransport() override {
        if (curl_ != nullptr) curl_easy_cleanup(curl_);
    }

    SendResult Send(const MailMessage& message, const std::string&) override {
        SendResult result;
        if (!settings_.keyFile.empty() && !havePassword_) {
            result.reply = keyError_;
            result.stopAll = true;
            return result;
        }
        if (curl_ == nullptr) {
            result.reply = "libcurl could not start";
            result.stopAll = true;
            return result;
        }
        CURL* c = curl_;
        curl_easy_reset(c);
        const std::string scheme = settings_.security == MailSecurity::Tls ? "smtps://" : "smtp://";
        const std::string url = scheme + settings_.server + ":" + std::to_string(settings_.port);
        curl_easy_setopt(c, CURLOPT_URL, url.c_str());
        curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
        if (settings_.security == MailSecurity::StartTls) {
            curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        }
        if (!settings_.caFile.empty())
            curl_easy_setopt(c, CURLOPT_CAINFO, settings_.caFile.c_str());
        if (!settings_.user.empty()) {
            curl_easy_setopt(c, CURLOPT_USERNAME, settings_.user.c_str());
            curl_easy_setopt(c, CURLOPT_PASSWORD, password_.c_str());
        }
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 30L);
        curl_easy_setopt(c, CURLOPT_TIMEOUT, 300L);
        curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        const std::string from = "<" + message.fromAddress + ">";
        curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.c_str());
        curl_slist* recipients =
            curl_slist_append(nullptr, ("<" + message.toAddress + ">").c_str());
        if (!message.blindCopy.empty()) {
            recipients = curl_slist_append(recipients, ("<" + message.blindCopy + ">").c_str());
        }
        curl_easy_setopt(c, CURLOPT_MAIL_RCPT, recipients);

        // Headers one a list item: the folded Subject is split at its folds.
        curl_slist* headers = nullptr;
        const std::string headerText = MessageHeaders(message, false);
        std::size_t start = 0;
        std::string pending;
        while (start < headerText.size()) {
            const auto end = headerText.find("\r\n", start);
            const std::string line = headerText.substr(start, end - start);
            start = end + 2;
            if (!line.empty() && line[0] == ' ' && !pending.empty()) {
                pending += "\r\n" + line;
                continue;
            }
            if (!pending.empty()) headers = curl_slist_append(headers, pending.c_str());
            pending = line;
        }
        if (!pending.empty()) headers = curl_slist_append(headers, pending.c_str());
        curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);

        curl_mime* mime = curl_mime_init(c);
        curl_mimepart* text = curl_mime_addpart(mime);
        curl_mime_data(text, message.body.c_str(), CURL_ZERO_TERMINATED);
        curl_mime_type(text, "text/plain; charset=UTF-8");
        curl_mime_encoder(text, "quoted-printable");
        curl_mimepart* pdf = curl_mime_addpart(mime);
        curl_mime_filedata(pdf, message.attachmentPath.c_str());
        curl_mime_filename(pdf, message.attachmentName.c_str());
        curl_mime_type(pdf, "application/pdf");
        curl_mime_encoder(pdf, "base64");
        curl_easy_setopt(c, CURLOPT_MIMEPOST, mime);

        std::string lastReply;
        curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, CurlDebug);
        curl_easy_setopt(c, CURLOPT_DEBUGDATA, &lastReply);
        curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
        char errorText[CURL_ERROR_SIZE] = "";
        curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);

        const CURLcode code = curl_easy_perform(c);
        curl_easy_setopt(c, CURLOPT_MIMEPOST, nullptr);
        curl_mime_free(mime);
        curl_slist_free_all(headers);
        curl_slist_free_all(recipients);

        if (code == CURLE_OK) {
            result.kind = SendResult::Kind::Sent;
            result.reply = lastReply;
        } else {
            result.reply = std::string(errorText[0] ? errorText : curl_easy_strerror(code));
            if (!lastReply.empty()) result.reply += " (" + lastReply + ")";
            // Failures no later message can get past: the login, the
            // server, its certificate or its missing STARTTLS.
            result.stopAll = code == CURLE_LOGIN_DENIED || code == CURLE_USE_SSL_FAILED ||
                             code == CURLE_COULDNT_CONNECT || code == CURLE_COULDNT_RESOLVE_HOST ||
                             code == CURLE_PEER_FAILED_VERIFICATION ||
                             code == CURLE_SSL_CONNECT_ERROR;
        }
        return result;
    }

  private:
    MailSettings settings_;
    CURL* curl_ = nullptr;
    std::string password_;
    bool havePassword_ = false;
    std::string keyError_;
};

}  // namespace

std::unique_ptr<MailTransport> MakeMailTransport(const MailSettings& settings) {
    switch (settings.transport) {
        case MailTransportKind::Smtp:
            return std::make_unique<SmtpTransport>(settings);
        case MailTransportKind::Sendmail:
            return std::make_unique<SendmailTransport>();
        case MailTransportKind::Folder:
            break;
    }
    return std::make_unique<FolderTransport>();
}

SendThrottle::SendThrottle(int perMinute, Clock clock, Sleep sleep)
    : perMinute_(std::max(perMinute, 1)), clock_(std::move(clock)), sleep_(std::move(sleep)) {}

SendThrottle::SendThrottle(int perMinute)
    : SendThrottle(
          perMinute,
          [] {
              return std::chrono::duration<double>(
                         std::chrono::steady_clock::now().time_since_epoch())
                  .count();
          },
          [](double seconds) {
              std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
          }) {}

void SendThrottle::Wait() {
    double now = clock_();
    while (!times_.empty() && now - times_.front() >= 60.0) times_.pop_front();
    if (static_cast<int>(times_.size()) >= perMinute_) {
        sleep_(60.0 - (now - times_.front()));
        now = clock_();
        times_.pop_front();
    }
    times_.push_back(now);
}

}  // namespace vela
