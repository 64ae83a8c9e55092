#pragma once

#include <QObject>

#include <atomic>
#include <cstdint>
#include <memory>

#include "http/HTTPMailbox.h"

class QEvent;

// What the component's events name as their sender, and its owner.
using THTTPSender = QObject;

// The component's Qt side: a QObject that receives its transfers' messages as
// queued events, on the thread that created it.
class THTTPComponentBase : public QObject, public THTTPReceiver {
 public:
  QObject* Handle() { return this; }

 protected:
  explicit THTTPComponentBase(QObject* owner);
  ~THTTPComponentBase() override;

  // The mailbox of a new transfer. The one before is detached, and nothing
  // it posted is handled any more.
  const std::shared_ptr<THTTPMailbox>& NewMailbox();
  const std::shared_ptr<THTTPMailbox>& Mailbox() const { return FMailbox; }
  void DetachMailbox();

  // One message of the current transfer, on the component's thread.
  virtual void HandleHTTPMessage(uint32_t message, intptr_t wParam, intptr_t lParam) = 0;

  bool event(QEvent* e) override;

 private:
  void Deliver(uint32_t message, intptr_t wParam, intptr_t lParam,
               const std::shared_ptr<THTTPMailbox>& from) override;

  std::shared_ptr<THTTPMailbox> FMailbox;
  // Every message is published through it before it is queued; the receiver
  // reads it before touching a message. Qt's queue already orders the two
  // threads; this makes the order visible to race checkers too.
  std::atomic<uint32_t> FHandOff{0};
};
