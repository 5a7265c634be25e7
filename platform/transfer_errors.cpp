#include "platform/transfer_errors.h"

#include <array>
#include <utility>

namespace tessivar::transfer_error {

namespace {

using E = QNetworkReply::NetworkError;

// The one mapping from Qt's network errors to the numbers above. Errors not listed here report
// InternalError.
constexpr std::array<std::pair<E, int>, 19> kTable{{
    {E::ConnectionRefusedError, CannotConnect},
    {E::RemoteHostClosedError, ConnectionReset},
    {E::HostNotFoundError, NameNotResolved},
    {E::TimeoutError, TimedOut},
    {E::OperationCanceledError, OperationCancelled},
    {E::SslHandshakeFailedError, SecureChannelError},
    {E::TemporaryNetworkFailureError, CannotConnect},
    {E::NetworkSessionFailedError, CannotConnect},
    {E::TooManyRedirectsError, RedirectFailed},
    {E::InsecureRedirectError, RedirectFailed},
    {E::ProxyConnectionRefusedError, CannotConnect},
    {E::ProxyConnectionClosedError, ConnectionReset},
    {E::ProxyNotFoundError, NameNotResolved},
    {E::ProxyTimeoutError, TimedOut},
    {E::ProxyAuthenticationRequiredError, LoginFailure},
    {E::ProtocolUnknownError, UnrecognizedScheme},
    {E::ProtocolFailure, InvalidServerResponse},
    {E::UnknownProxyError, CannotConnect},
    {E::UnknownNetworkError, InternalError},
}};

}  // namespace

int numberFor(QNetworkReply::NetworkError error)
{
  for (const auto &[qtError, number] : kTable) {
    if (qtError == error) return number;
  }
  return InternalError;
}

bool isHttpStatusError(QNetworkReply::NetworkError error)
{
  // Qt files HTTP status errors under the content (2xx) and server (4xx) groups, and 400 Bad
  // Request under ProtocolInvalidOperationError.
  const int code = static_cast<int>(error);
  return (code >= E::ContentAccessDenied && code <= E::UnknownContentError) ||
         (code >= E::InternalServerError && code <= E::UnknownServerError) ||
         error == E::ProtocolInvalidOperationError;
}

}  // namespace tessivar::transfer_error
