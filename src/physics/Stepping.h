#pragma once

class PhSimulator;

// Advances the simulation by a frame's time. The time is cut into fixed
// steps (PhSimulator::GetFixedStep), at most a bounded number a frame, the
// remainder carried to the next frame; the same state and inputs give the
// same results, bit for bit, on the same build. Each step, in order:
//   1. controllers: each active body's controllers count down and call
//      their listeners, which see the state the last step left and set the
//      controller force and torque (or impose a velocity or momentum);
//   2. forces: gravity, the body's force and torque, the controllers'
//      force and torque and drag change the velocities of awake bodies,
//      except a velocity or momentum a listener imposed for the step;
//   3. contacts: world bounds, the sweep over the sorted end points, the
//      terrain query, contact generation between geometries and against
//      the terrain's triangles;
//   4. response: contact impulses with friction and restitution, and the
//      recovery of penetration;
//   5. motion: positions and orientations move on;
//   6. sensors: the line sensors of moving bodies are cast;
//   7. rest: quiet bodies fall asleep;
//   8. the collision callback, once for each touching pair.
// A force or torque set on a body acts for the frame it was set in.
// Listeners and the collision callback must not release bodies while the
// step runs.
void PhStepSimulation(PhSimulator& simulator, float frameTime);
