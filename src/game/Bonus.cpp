#include "game/Bonus.h"

#include <cmath>

#include "core/GameObject.h"
#include "game/Player.h"
#include "game/TriggerBox.h"

namespace {

bool HasInTree(const CPGameObject& object, const char* name)
{
    return static_cast<bool>(object.FindObjectInTree(name));
}

// The box kept around its centre with new half-sizes on the two ground
// axes.
AxisBox Reshaped(const AxisBox& box, float halfX, float halfY)
{
    AxisBox result = box;
    result.halfSize.x = halfX;
    result.halfSize.y = halfY;
    result.minimum = Vector3{box.centre.x - halfX, box.centre.y - halfY, box.minimum.z};
    result.maximum = Vector3{box.centre.x + halfX, box.centre.y + halfY, box.maximum.z};
    return result;
}

// A gate bonus takes the box of its gate and the loosest divisor.
const char* const kGateName = "empty";
// A barrier sphere's box on the ground, whatever its model's box.
constexpr float kSphereHalfSize = 3.5f;
// The least divisor of any bonus but the gate.
constexpr float kLeastDivisor = 1.0f;

// Whether the car could touch a bonus (not a gate) with its trigger box at
// all: the widest box and the least divisor any bonus takes. Most bonuses
// are far from most cars, and this settles them before the searches of the
// bonus's tree; a box that fails it fails the bonus's own test too. It is
// BoxesTouch's test written out for the divisor 1, which leaves every sum
// of half-sizes as it is.
bool MayTouch(const AxisBox& bonus, const AxisBox& car)
{
    static_assert(kLeastDivisor == 1.0f, "a sum over the least divisor is the sum itself");
    const float reachX = std::fmax(bonus.halfSize.x, kSphereHalfSize) + car.halfSize.x;
    const float reachY = std::fmax(bonus.halfSize.y, kSphereHalfSize) + car.halfSize.y;
    const float reachZ = bonus.halfSize.z + car.halfSize.z;
    return std::fabs(bonus.centre.x - car.centre.x) <= reachX &&
           std::fabs(bonus.centre.y - car.centre.y) <= reachY &&
           std::fabs(bonus.centre.z - car.centre.z) <= reachZ;
}

} // namespace

CPBonus::Kind CPBonus::Classify(const CPGameObject& object)
{
    const std::string& name = object.GetName();
    if (name == "bonus_remont")
        return kRepair;
    const struct {
        const char* child;
        Kind kind;
    } children[] = {{"glow3", kFast},        {"glow2", kSlow},    {"glow6", kAbilityMinus},
                    {"glow4", kAbilityPlus}, {"sphera", kSphera}, {"portal_a", kGloomPortal},
                    {"v_bii", kVBii}};
    for (const auto& entry : children)
        if (HasInTree(object, entry.child))
            return entry.kind;
    if (name == "light")
        return kLight;
    if (name == "halo")
        return kHalo;
    return kNone;
}

bool CPBonus::ActsOn(Kind kind, std::int32_t side)
{
    const bool both = (side & CPPlayer::kBothSides) != 0;
    switch (kind) {
    case kSphera:
    case kLight:
        return both || (side & CPPlayer::kDarkSide) != 0;
    case kVBii:
    case kHalo:
        return both || (side & CPPlayer::kLightSide) != 0;
    case kNone:
        return false;
    default:
        return !both;
    }
}

bool CPBonus::IsConsumed(Kind kind)
{
    switch (kind) {
    case kRepair:
    case kFast:
    case kSlow:
    case kAbilityMinus:
    case kAbilityPlus:
    case kGloomPortal:
        return true;
    default:
        return false;
    }
}

bool CPBonus::BoxesTouch(const AxisBox& bonus, const AxisBox& car, float divisor)
{
    const float b[3] = {bonus.centre.x, bonus.centre.y, bonus.centre.z};
    const float c[3] = {car.centre.x, car.centre.y, car.centre.z};
    const float hb[3] = {bonus.halfSize.x, bonus.halfSize.y, bonus.halfSize.z};
    const float hc[3] = {car.halfSize.x, car.halfSize.y, car.halfSize.z};
    for (int axis = 0; axis < 3; ++axis) {
        // Written so that a box that is not finite never touches.
        if (!(std::fabs(b[axis] - c[axis]) <= (hb[axis] + hc[axis]) / divisor))
            return false;
    }
    return true;
}

AxisBox CPBonus::CarBox(const CPPlayer& car)
{
    // This model's own box is too loose to pick things up by.
    if (car.modelName == "uaz")
        return car.GetTreeBox();
    return TriggerBox(car);
}

bool CPBonus::Touches(CPGameObject& bonus, const CPPlayer& car) { return Touches(bonus, CarBox(car)); }

bool CPBonus::Touches(CPGameObject& bonus, const AxisBox& carBox)
{
    AxisBox bonusBox = TriggerBox(bonus);
    // The box test first: it is the cheaper of the two that settle most
    // bonuses, and either order gives the same answer.
    if (!MayTouch(bonusBox, carBox) && bonus.GetName() != kGateName)
        return false;
    const std::string& name = bonus.GetName();
    float divisor = kContactDivisor;
    if (name == kGateName) {
        divisor = 0.8f;
        if (auto* gate = bonus.GetChildByName("v_bii").As<CPGameObject>())
            bonusBox = TriggerBox(*gate);
    }
    if (HasInTree(bonus, "sphera"))
        bonusBox = Reshaped(bonusBox, kSphereHalfSize, kSphereHalfSize);
    if (name == "fake") {
        divisor = 1.0f;
    } else if (name == "light") {
        divisor = 2.0f;
    } else if (name == "halo") {
        divisor = 1.0f;
        bonusBox = Reshaped(bonusBox, bonusBox.halfSize.x * 0.33333334f, bonusBox.halfSize.y * 0.33333334f);
    }
    return BoxesTouch(bonusBox, carBox, divisor);
}
