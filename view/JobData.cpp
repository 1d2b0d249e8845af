#include "view/JobData.h"

namespace view {

JobData::JobData() : kinematics_(std::make_unique<machine::IdentityKinematics>()) {}

JobData::~JobData() = default;

}  // namespace view
