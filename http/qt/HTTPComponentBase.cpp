#include "HTTPComponentBase.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

// One message of a transfer, queued to the component's thread.
class THTTPMessage : public QEvent {
 public:
  static QEvent::Type EventType() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }

  THTTPMessage(uint32_t message, intptr_t wParam, intptr_t lParam,
               std::shared_ptr<THTTPMailbox> from)
      : QEvent(EventType()),
        Message(message),
        WParam(wParam),
        LParam(lParam),
        From(std::move(from)) {}

  const uint32_t Message;
  const intptr_t WParam;
  const intptr_t LParam;
  const std::shared_ptr<THTTPMailbox> From;
};

}  // namespace

THTTPComponentBase::THTTPComponentBase(QObject* owner) : QObject(owner) {}

THTTPComponentBase::~THTTPComponentBase() {
  // Cut off before QObject's destructor drops what is already queued to us.
  DetachMailbox();
  FHandOff.load(std::memory_order_acquire);
}

const std::shared_ptr<THTTPMailbox>& THTTPComponentBase::NewMailbox() {
  DetachMailbox();
  FMailbox = std::make_shared<THTTPMailbox>(this);
  return FMailbox;
}

void THTTPComponentBase::DetachMailbox() {
  if (FMailbox) FMailbox->Detach();
}

void THTTPComponentBase::Deliver(uint32_t message, intptr_t wParam, intptr_t lParam,
                                 const std::shared_ptr<THTTPMailbox>& from) {
  // Made before it is published, so that the receiver sees it whole.
  auto* event = new THTTPMessage(message, wParam, lParam, from);
  FHandOff.fetch_add(1, std::memory_order_release);
  QCoreApplication::postEvent(this, event);
}

bool THTTPComponentBase::event(QEvent* e) {
  FHandOff.load(std::memory_order_acquire);  // pairs with Deliver's publication
  if (e->type() != THTTPMessage::EventType()) return QObject::event(e);
  const auto* message = static_cast<THTTPMessage*>(e);
  // Left over from a transfer that a newer request has replaced.
  if (message->From != FMailbox) return true;
  HandleHTTPMessage(message->Message, message->WParam, message->LParam);
  return true;
}
