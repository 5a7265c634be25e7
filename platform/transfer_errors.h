#pragma once

#include <QNetworkReply>

// The error numbers a transfer reports. They follow the classic Windows internet error numbers,
// which callers compare against (the link probe tells "host unreachable" from "bad link" by them).
namespace tessivar::transfer_error {

inline constexpr int TimedOut = 12002;               // no progress within the time-out
inline constexpr int InternalError = 12004;          // any failure without a more specific number
inline constexpr int InvalidUrl = 12005;             // the address is not an absolute URL
inline constexpr int UnrecognizedScheme = 12006;     // not http:// or https://
inline constexpr int NameNotResolved = 12007;        // host (or proxy) name not found
inline constexpr int LoginFailure = 12015;           // the proxy asked for credentials
inline constexpr int OperationCancelled = 12017;     // cancelled by the network layer itself
inline constexpr int CannotConnect = 12029;          // connection refused or unreachable
inline constexpr int ConnectionReset = 12031;        // the connection closed before the answer ended
inline constexpr int InvalidServerResponse = 12152;  // the answer was not valid HTTP
inline constexpr int InvalidHeader = 12153;          // an extra request header line is malformed
inline constexpr int RedirectFailed = 12156;         // too many or unsafe redirects
inline constexpr int SecureChannelError = 12157;     // TLS handshake failed

// The number for a Qt network error; never 0, also for errors this table does not list.
[[nodiscard]] int numberFor(QNetworkReply::NetworkError error);

// True for errors Qt reports because of the HTTP status of an answer that did arrive (404,
// 403, 500, ...). Such an answer is a document: its page is delivered, not an error.
[[nodiscard]] bool isHttpStatusError(QNetworkReply::NetworkError error);

}  // namespace tessivar::transfer_error
