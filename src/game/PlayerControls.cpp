#include "game/PlayerControls.h"

#include "game/Car.h"
#include "game/Player.h"

void CPPlayerControls::SetControls(float throttle, float steering)
{
    if (m_player.IsLocked())
        return;
    m_player.SetControls(throttle, steering);
    if (CPCar* car = m_player.GetCar())
        car->SetControls(m_player.GetThrottle(), m_player.GetSteering());
}

void CPPlayerControls::SetBrake(bool on) { m_player.SetBrakeLights(on); }
