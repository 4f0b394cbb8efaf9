#pragma once

#include <QVariant>

#include <memory>
#include <string_view>

namespace vantrel {

// A control's programmable side, reached by member name the way a script
// host reaches one: properties are read and written, methods called, and
// some members are objects of their own. A name the object does not know
// gives an invalid QVariant (or false, or null), never an error.
class AutomationObject {
  public:
    virtual ~AutomationObject() = default;

    virtual QVariant Get(std::string_view name) = 0;
    // False when the member is missing, read-only, or refused the value.
    virtual bool Put(std::string_view name, const QVariant& value) = 0;
    virtual QVariant Invoke(std::string_view name, const QVariantList& arguments) = 0;
    virtual std::shared_ptr<AutomationObject> Object(std::string_view) { return nullptr; }
};

using Dispatch = std::shared_ptr<AutomationObject>;

}  // namespace vantrel
