#include "history/historyread.h"

#include "common/errors.h"
#include "history/historystore.h"

namespace kv {

HistoryRead readHistoryAlone(const QString& fileName) {
    HistoryRead read;
    try {
        HistoryStore reader(fileName);
        reader.openReadOnly();
        read.history = reader.readHistory();
    } catch (const Error& e) {
        read = {{}, e.text()};
    } catch (const std::exception& e) {
        read = {{}, QString::fromLocal8Bit(e.what())};
    }
    return read;
}

} // namespace kv
