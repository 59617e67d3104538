// Car descriptions (XML): geometry, handling, camera and shadow, as a car
// reads them when it is made.
#include "FuzzSupport.h"

#include "core/GameObject.h"
#include "game/Car.h"

std::vector<std::string> FuzzSeeds()
{
    return {R"(<car>
  <physics debug="true">
    <geometry><wheels count="6" x="0.2" y="0.4" length="1.2" radius="0.45" front_min_radius="0.1"
      back_min_radius="0.15" width="0.3" fixed="min"/></geometry>
    <params>
      <wheels spring1="120" spring2="130" damping="90"/>
      <speed max_front_speed="40" max_rear_speed="12" angle="30"/>
      <acceleration accel_front="70" accel_back="35" speed_front="1.25" speed_back="-0.5"/>
    </params>
  </physics>
  <camera fov_div="2"/>
  <render><shadow name="jeep_shadow.dds"/></render>
</car>)",
            "<physics><geometry><wheels count=\"1e300\" radius=\"nan\"/></geometry></physics>",
            // The declaration makes the parser read UTF-8; the text ends in
            // the first byte of a character.
            "<?xml version=\"1.0\"?>\n<car><camera fov_div=\"2\"/>\xC3"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzRenderWorld world;
    WriteFuzzFile("Data/Descriptions/car.xml", data, size);
    CPGameObject owner("jeep");
    owner.SetDescriptionFile("car.xml");
    CPCar car(&owner);
    car.ReadDescription(true);
    return 0;
}
