// The fields of the output rows, one of each kind.
#include "report/tables/tables.h"

namespace formeval::report {

Field numberfield(const char* name, double value) {
    return {Field::Kind::number, name, value, 0, "", false};
}

Field wholefield(const char* name, long value) {
    return {Field::Kind::whole, name, notapplicable, value, "", false};
}

Field textfield(const char* name, std::string value) {
    return {Field::Kind::text, name, notapplicable, 0, std::move(value), false};
}

Field truthfield(const char* name, bool value) {
    return {Field::Kind::truth, name, notapplicable, 0, "", value};
}

} // namespace formeval::report
