#include "view/JobData.h"

namespace view {

JobData::JobData() = default;

JobData::~JobData() = default;

}  // namespace view
