#!/usr/bin/env python3
"""The game's rules written a second time, from their description rather than from the C++ code,
to check what replay_sessions prints: it replays the same inputs and requires the same world after
every step. Python's floats are IEEE doubles and its math.cos and math.sin are the C library's, so
on the same C library the two must agree bit for bit.

    replay_sessions [--words] | rules_model.py

Prints the hash of each session; with --words it names the fields of the first step that differs.
"""
import math
import struct
import sys

PI = 3.141592653589793
TURN_DEGREES_PER_MS = struct.unpack("<f", struct.pack("<f", 0.4))[0]
SPIN_DEGREES_PER_MS = struct.unpack("<f", struct.pack("<f", 0.05))[0]
SHOT_LIFETIME_S = TURN_DEGREES_PER_MS  # the single-precision 0.4 as well
EPOCH = 1_800_000_000  # the replay's wall clock at its 0 ms
MASK32, MASK64 = 0xFFFFFFFF, 0xFFFFFFFFFFFFFFFF
LEFT, UP, RIGHT, SPACE = 100, 101, 102, 32


def f32(x):
    """Rounds a double to float, to the nearest, overflowing to infinity."""
    try:
        return struct.unpack("<f", struct.pack("<f", x))[0]
    except OverflowError:
        return math.copysign(math.inf, x)


def bits(x):
    return struct.unpack("<I", struct.pack("<f", x))[0]


def i32(x):
    return (x + 2**31) % 2**32 - 2**31


def radians(degrees):
    return degrees * PI / 180.0


def wrap(v):
    q = f32(v / 50.0)
    f = f32(float(math.floor(q)))
    return f32((q - f) * 50.0)


def collides(x1, y1, x2, y2):
    left, right = x1 < 25 and x2 < 25, x1 > 25 and x2 > 25
    upper, lower = 25 < y1 < 50 and 25 < y2 < 50, 0 < y1 < 25 and 0 < y2 < 25
    if not ((left or right) and (upper or lower)):
        return False
    dx, dy = float(x2 - x1), float(y2 - y1)
    return 1 + 1 >= int(math.sqrt(dx * dx + dy * dy))


class Rock:
    def __init__(self, speed, x, y):
        self.alive, self.speed, self.x, self.y = True, speed, x, y


class World:
    def __init__(self, rocks):
        self.remaining, self.ship_alive, self.ship_x, self.ship_y = 6, True, 5.0, 20.0
        self.fired = self.visible = False
        self.armed, self.shot_x, self.shot_y = True, 5.0, 20.0
        self.running, self.start_ticks, self.start_time, self.wall_clock_set = False, 0, 0, 0
        self.rocks = rocks
        self.heading = self.vx = self.vy = self.spin = self.step = self.impulse = 0.0
        self.last = self.left = self.right = self.thrust = 0
        self.left_stamp = self.right_stamp = self.thrust_stamp = 0

    def epoch(self, now):
        return EPOCH + self.wall_clock_set + now // 1000

    def elapsed(self, now):
        seconds = self.epoch(now) - self.start_time
        if seconds >= 3600:
            return float(seconds)
        return i32(now - self.start_ticks) / 1000.0

    def key(self, now, kind, code):
        if kind == "w":
            self.wall_clock_set += code
        if kind == "k" and code == SPACE and not self.visible:
            self.running, self.start_ticks, self.start_time = True, i32(now), self.epoch(now)
            self.armed = True
        held = 1 if kind == "d" else 0
        if kind in "du" and code == LEFT:
            self.left = held
            self.left_stamp = i32(now) if held else self.left_stamp
        elif kind in "du" and code == RIGHT:
            self.right = held
            self.right_stamp = i32(now) if held else self.right_stamp
        elif kind in "du" and code == UP:
            self.thrust = held
            self.thrust_stamp = i32(now) if held else self.thrust_stamp

    def update(self, now):
        ms = i32(now)
        dt = i32(ms - self.last)
        if self.ship_alive:
            if self.left:
                self.heading = f32(self.heading + i32(ms - self.left_stamp) * TURN_DEGREES_PER_MS)
                self.left_stamp = ms
            if self.right:
                self.heading = f32(self.heading - i32(ms - self.right_stamp) * TURN_DEGREES_PER_MS)
                self.right_stamp = ms
            if self.thrust:
                self.impulse = f32(i32(ms - self.thrust_stamp) * 0.00004)
                self.vx = f32(self.vx + math.cos(radians(self.heading)) * self.impulse)
                self.vy = f32(self.vy + math.sin(radians(self.heading)) * self.impulse)
                self.thrust_stamp = ms
            self.ship_x = wrap(f32(self.ship_x + dt * self.vx))
            self.ship_y = wrap(f32(self.ship_y + dt * self.vy))
            if self.elapsed(now) < SHOT_LIFETIME_S and self.armed:
                self.fired = self.visible = True
                self.shot_x = f32(self.shot_x + f32(math.cos(radians(self.heading))) * 1.5)
                self.shot_y = f32(self.shot_y + f32(math.sin(radians(self.heading))) * 1.5)
            else:
                self.running = self.fired = self.visible = False
                self.shot_x, self.shot_y = self.ship_x, self.ship_y
        self.step = f32(dt * 0.0004)
        self.spin = f32(self.spin + dt * SPIN_DEGREES_PER_MS)
        for rock in self.rocks:
            vx = f32(-1 * rock.speed + math.cos(radians(self.spin)) * self.step)
            vy = f32(rock.speed + math.sin(radians(self.spin)) * self.step)
            rock.x = wrap(f32(rock.x + vx * self.step))
            rock.y = wrap(f32(rock.y + vy * self.step))
        self.last = ms
        self.collide()

    def collide(self):
        if not self.ship_alive:
            return
        ship, shot = (int(self.ship_x), int(self.ship_y)), (int(self.shot_x), int(self.shot_y))
        for rock in self.rocks:
            if not rock.alive:
                continue
            at = (int(rock.x), int(rock.y))
            if collides(*at, *ship):
                self.ship_alive = rock.alive = False
            if collides(*at, *shot):
                rock.alive = self.armed = False
                self.remaining -= 1 if self.remaining != 0 else 0

    def words(self):
        named = [("asteroidsRemaining", self.remaining), ("ship.alive", self.ship_alive),
                 ("ship.x", bits(self.ship_x)), ("ship.y", bits(self.ship_y)), ("bullet.fired", self.fired),
                 ("bullet.visible", self.visible), ("bullet.armed", self.armed),
                 ("bullet.x", bits(self.shot_x)), ("bullet.y", bits(self.shot_y)),
                 ("stopwatch.running", self.running), ("stopwatch.startTicks", self.start_ticks),
                 ("stopwatch.startTime", self.start_time)]
        for i, rock in enumerate(self.rocks):
            named += [(f"asteroids[{i}].alive", rock.alive), (f"asteroids[{i}].x", bits(rock.x)),
                      (f"asteroids[{i}].y", bits(rock.y))]
        named += [("heading", bits(self.heading)), ("velocityX", bits(self.vx)), ("velocityY", bits(self.vy)),
                  ("spin", bits(self.spin)), ("asteroidStep", bits(self.step)),
                  ("thrustImpulse", bits(self.impulse)), ("lastUpdateMs", self.last), ("leftHeld", self.left),
                  ("rightHeld", self.right), ("thrustHeld", self.thrust), ("leftStampMs", self.left_stamp),
                  ("rightStampMs", self.right_stamp), ("thrustStampMs", self.thrust_stamp)]
        return [(name, int(value) & MASK32) for name, value in named]


def hashed(h, words):
    for _, word in words:
        h = ((h ^ word) * 0x100000001B3) & MASK64
    return h


def main():
    world, session_hash, sessions, steps = None, 0, 0, 0
    for number, line in enumerate(sys.stdin, 1):
        fields = line.split()
        if fields[0] == "L":
            values = [struct.unpack("<f", struct.pack("<I", int(v, 16)))[0] for v in fields[1:]]
            world = World([Rock(*values[i : i + 3]) for i in range(0, len(values), 3)])
            session_hash = 0xCBF29CE484222325
        elif fields[0] == "K":
            world.key(int(fields[1]), fields[2], int(fields[3]))
        elif fields[0] == "S":
            world.update(int(fields[1]))
            words = world.words()
            session_hash, steps = hashed(session_hash, words), steps + 1
            given = [int(v, 16) for v in fields[2:]]
            if given != ([w for _, w in words] if len(given) > 1 else [hashed(0xCBF29CE484222325, words)]):
                print(f"rules_model: line {number}, the step at {fields[1]} ms departs from the rules", end="")
                if len(given) > 1:
                    print(":")
                    for (name, expected), got in zip(words, given):
                        if expected != got:
                            print(f"  {name}: {got:08x}, the rules give {expected:08x}")
                else:
                    print(" (replay with --words to see which fields)")
                return 1
        elif fields[0] == "E":
            print(f"session {sessions}: {session_hash:016x}")
            sessions += 1
    print(f"rules_model: {sessions} sessions, {steps} steps, every one as the rules give it")
    return 0


if __name__ == "__main__":
    sys.exit(main())
