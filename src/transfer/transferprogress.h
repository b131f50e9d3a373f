#pragma once
// What a long text import or export tells as it goes: a stage with its label (%1 standing for the
// units done, %2 for the total) and the units done so far. The window's progress shows it; without
// one nothing is shown and nothing cancels.
#include <QString>

namespace cw {

class TransferProgress {
  public:
    virtual ~TransferProgress() = default;
    virtual void begin(const QString& /*labelText*/, qint64 /*total*/) {}
    // False once the user has cancelled.
    virtual bool advance(qint64 /*done*/) { return true; }
    virtual bool cancelled() const { return false; }
};

} // namespace cw
