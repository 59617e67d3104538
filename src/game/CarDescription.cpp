#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include <tinyxml.h>

#include "core/GameObject.h"
#include "core/Log.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "core/StringUtils.h"
#include "game/Car.h"
#include "game/XmlNumber.h"

namespace {

const TiXmlElement* Child(const TiXmlNode* parent, const char* name)
{
    return parent ? parent->FirstChildElement(name) : nullptr;
}

const TiXmlElement* Path(const TiXmlNode* parent, const char* first, const char* second)
{
    return Child(Child(parent, first), second);
}

// A top-level element: a child of the document itself or, in a document
// wrapped in one root element ("<car>...</car>"), a child of that root.
const TiXmlElement* Top(const TiXmlDocument& document, const char* name)
{
    if (const TiXmlElement* element = document.FirstChildElement(name))
        return element;
    return Child(document.RootElement(), name);
}

std::optional<double> Number(const TiXmlElement* element, const char* attribute)
{
    return XmlNumber(element, attribute);
}

void ReadFloat(const TiXmlElement* element, const char* attribute, float& field)
{
    if (const auto number = Number(element, attribute))
        field = static_cast<float>(*number);
}

double NotifiedValue(const TiXmlElement* element, const char* attribute)
{
    return Number(element, attribute).value_or(0.0);
}

} // namespace

bool CPCar::ReadDescription(bool notify)
{
    const TiXmlDocument* document = m_owner ? &m_owner->GetDescription() : nullptr;
    // A description named but not read yet is read now ("Data\Descriptions",
    // from disk or a pack); LoadDescription says in the log why it failed.
    if (document && !document->RootElement() && !m_owner->GetDescriptionFile().empty())
        m_owner->LoadDescription();
    if (!document || !document->RootElement()) {
        LogLine("CPCar: " + (m_owner ? m_owner->GetName() : std::string("a car without owner")) +
                " has no description; the car keeps its default handling");
        return false;
    }
    const TiXmlElement* physics = Top(*document, "physics");
    ReadGeometry(physics);
    if (physics) {
        const char* debug = physics->Attribute("debug");
        if (debug && std::string(debug) == "true")
            m_debug = true;
    }
    ReadParams(physics, Top(*document, "camera"), notify);
    if (const TiXmlElement* shadow = Child(Top(*document, "render"), "shadow"))
        if (const char* name = shadow->Attribute("name"))
            m_shadowName = name;
    return true;
}

void CPCar::ReadGeometry(const TiXmlElement* physics)
{
    const TiXmlElement* wheels = Path(physics, "geometry", "wheels");
    if (!wheels)
        return;
    if (const auto count = Number(wheels, "count")) {
        const double whole = std::trunc(*count);
        if (whole < 0.0 || whole > kMaxWheels) {
            // Printed as a double: the count may lie far outside any integer.
            char asked[32];
            std::snprintf(asked, sizeof(asked), "%.15g", whole);
            LogLine("CPCar: " + m_owner->GetName() + " asks for " + asked + " wheels; a car has 0 to 8");
        }
        m_wheelCount = static_cast<int>(std::clamp(whole, 0.0, static_cast<double>(kMaxWheels)));
    }
    ReadFloat(wheels, "x", m_sensorInset);
    ReadFloat(wheels, "y", m_sensorHeight);
    ReadFloat(wheels, "length", m_sensorLength);
    ReadFloat(wheels, "radius", m_wheelRadius);
    ReadFloat(wheels, "front_min_radius", m_frontMinRadius);
    ReadFloat(wheels, "back_min_radius", m_backMinRadius);
    ReadFloat(wheels, "width", m_width);
    if (const char* fixed = wheels->Attribute("fixed")) {
        std::string value(fixed);
        ToLowerString(value);
        m_fixedMin = value == "min";
        m_fixedMax = value == "max";
    }
}

void CPCar::ReadParams(const TiXmlElement* physics, const TiXmlElement* camera, bool notify)
{
    const TiXmlElement* params = Child(physics, "params");
    const TiXmlElement* wheels = Child(params, "wheels");
    ReadFloat(wheels, "spring1", m_springFront);
    ReadFloat(wheels, "spring2", m_springRear);
    ReadFloat(wheels, "damping", m_damping);

    const TiXmlElement* speed = Child(params, "speed");
    const TiXmlElement* acceleration = Child(params, "acceleration");
    ReadFloat(speed, "max_front_speed", m_maxFrontSpeed);
    ReadFloat(speed, "max_rear_speed", m_maxRearSpeed);
    const auto angle = Number(speed, "angle");
    if (angle && notify) {
        // Values the description leaves out go to the scripts as 0.
        char text[160];
        std::snprintf(text, sizeof(text), "%.2f,%.2f,%.2f,%.2f", *angle, NotifiedValue(camera, "fov_div"),
                      NotifiedValue(acceleration, "accel_front"), NotifiedValue(acceleration, "accel_back"));
        CPObjectRegistry* registry = GetObjectRegistry();
        if (registry)
            registry->SendCommandByName("jeep", "set_car_params", text);
        std::snprintf(text, sizeof(text), "%.2f,%.2f", NotifiedValue(acceleration, "speed_front"),
                      NotifiedValue(acceleration, "speed_back"));
        if (registry)
            registry->SendCommandByName("jeep", "set_car_params2", text);
    }

    const TiXmlElement* friction = Child(params, "friction");
    ReadFloat(friction, "front", m_frictionFront);
    ReadFloat(friction, "back", m_frictionBack);
    ReadFloat(friction, "slide", m_slideFriction);

    ReadFloat(acceleration, "front", m_accelFront);
    ReadFloat(acceleration, "back", m_accelBack);
    ReadFloat(acceleration, "brake", m_brake);

    const TiXmlElement* inertion = Child(params, "inertion");
    ReadFloat(inertion, "yaw", m_yawInertion);
    ReadFloat(inertion, "pitch", m_pitchInertion);
}
