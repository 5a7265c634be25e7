#include "results/xdm_description.h"

#include "platform/http_transfer.h"
#include "platform/transfer_state.h"

#include <QByteArrayView>
#include <QPointer>
#include <QUrl>

#include <optional>

namespace tessivar {

namespace {

// The status code of an answer's header block ("HTTP/1.1 200 OK"), 0 when there is none.
int statusCode(const QByteArray &headers)
{
  const QList<QByteArray> words = headers.left(headers.indexOf('\r')).split(' ');
  return words.size() >= 2 ? words.at(1).toInt() : 0;
}

bool isLineEnd(char c)
{
  return c == '\n' || c == '\x0b' || c == '\r';
}

bool isBlank(char c)
{
  return c == ' ' || c == '\t';
}

QByteArrayView skipBlanks(QByteArrayView text)
{
  while (!text.isEmpty() && isBlank(text.front())) text = text.sliced(1);
  return text;
}

// The value of a "STREAM=address" line (any case, blanks around the "=" or ":"), with leading
// blanks and "=" removed; nothing for any other line.
std::optional<QByteArrayView> keywordValue(QByteArrayView line)
{
  constexpr QByteArrayView keyword("STREAM");
  line = skipBlanks(line);
  if (line.size() <= keyword.size() || line.first(keyword.size()).compare(keyword, Qt::CaseInsensitive) != 0)
    return std::nullopt;
  line = skipBlanks(line.sliced(keyword.size()));
  if (line.isEmpty() || (line.front() != '=' && line.front() != ':')) return std::nullopt;
  line = line.sliced(1);
  while (!line.isEmpty() && (isBlank(line.front()) || line.front() == '=')) line = line.sliced(1);
  return line;
}

}  // namespace

QString streamAddressFromDescription(const QByteArray &description)
{
  const QByteArrayView text(description);
  qsizetype start = 0;
  while (start <= text.size()) {
    qsizetype end = start;
    while (end < text.size() && !isLineEnd(text[end])) ++end;
    if (const std::optional<QByteArrayView> address = keywordValue(text.sliced(start, end - start)))
      return QString::fromUtf8(*address).trimmed();
    start = end + 1;
  }
  return {};
}

bool isFetchableAddress(const QString &address)
{
  const QUrl url(address.trimmed(), QUrl::TolerantMode);
  const QString scheme = url.scheme().toLower();
  return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

QCoro::Task<DescriptionFetch> fetchDescription(HttpTransfer &transfer, TransferState &state, QString address)
{
  DescriptionFetch result;
  if (!isFetchableAddress(address)) co_return result;

  const QPointer<HttpTransfer> transferGuard(&transfer);
  const QPointer<TransferState> stateGuard(&state);
  QByteArray received;
  int status = 0;
  const QMetaObject::Connection output = QObject::connect(
      &transfer, &HttpTransfer::documentOutput, &state, [&](DocumentState step, const QByteArray &block) {
        if (state.stopRequested()) return;
        switch (step) {
          case DocumentState::Begin:
            state.setIdleTicks(0);
            break;
          case DocumentState::Headers:
            status = statusCode(transfer.responseHeaders());
            state.setIdleTicks(0);
            break;
          case DocumentState::Data:
            state.setIdleTicks(0);
            received += block.left(xdm::maximumSize - received.size());
            // A description this large is read no further.
            if (received.size() >= xdm::maximumSize) state.setTransferDone(true);
            break;
          case DocumentState::Error:
            state.setTransferError(-1);
            break;
          case DocumentState::End:
            state.setTransferDone(true);
            break;
        }
      });
  const QMetaObject::Connection failure = QObject::connect(
      &transfer, &HttpTransfer::errorOccurred, &state,
      [&state](int number, const QString &) { state.setTransferError(number != 0 ? number : -1); });
  const QMetaObject::Connection finished =
      QObject::connect(&transfer, &HttpTransfer::finishedAny, &state, &TransferState::wake);

  state.clearForRequest();
  transfer.requestDocument(address.trimmed());
  // The transfer is idle again before its closing event: "not busy" also ends the wait when it
  // ended some other way.
  while (transferGuard && transfer.isBusy() && state.idleTicks() < xdm::idleSeconds &&
         !state.stopRequested() && !state.transferDone() && state.transferError() == 0) {
    if (!co_await state.nextChange() || !stateGuard) co_return result;
  }
  QObject::disconnect(output);
  QObject::disconnect(failure);
  QObject::disconnect(finished);
  if (transferGuard && !transfer.isIdle()) transfer.cancel();

  result.stopped = state.stopRequested();
  if (status >= 200 && status < 300) result.text = received;
  co_return result;
}

}  // namespace tessivar
