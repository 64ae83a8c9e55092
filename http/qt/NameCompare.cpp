#include <QString>

#include "http/NameValueList.h"

// Case-insensitive under Unicode's case folding, as the user would compare.
bool TNameValueList::SameName(const std::string& a, const std::string& b) {
  return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}
