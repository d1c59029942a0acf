#!/usr/bin/env python3
"""The game's rules written a second time, from their description rather than from the C++ code,
to check what replay_sessions prints: it feeds the same inputs to a world of its own and requires
the same world after every step. Python's floats are IEEE doubles and its math.cos and math.sin
are the C library's, so on the same C library the two must agree bit for bit.

    replay_sessions [--words] | rules_model.py

Prints the hash of each session; given the words, it names the fields of a step that departs.
"""
import math
import struct
import sys

PI = 3.141592653589793
FLOAT_0_4 = struct.unpack("<f", struct.pack("<f", 0.4))[0]  # the turn rate and the shot's lifetime
FLOAT_0_05 = struct.unpack("<f", struct.pack("<f", 0.05))[0]  # the spin rate
EPOCH = 1_800_000_000  # the replay's wall clock, in seconds, at its 0 ms


def f32(x):
    """Rounds a double to the nearest float, overflowing to infinity."""
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
    return f32((q - f32(float(math.floor(q)))) * 50.0)


def collides(a, b):
    """Two centres on the integer grid, radius 1 each, in one quadrant of the field."""
    (x1, y1), (x2, y2) = a, b
    left, right = x1 < 25 and x2 < 25, x1 > 25 and x2 > 25
    upper, lower = 25 < y1 < 50 and 25 < y2 < 50, 0 < y1 < 25 and 0 < y2 < 25
    dx, dy = float(x2 - x1), float(y2 - y1)
    return (left or right) and (upper or lower) and 2 >= int(math.sqrt(dx * dx + dy * dy))


class World:
    def __init__(self, layout):
        self.remaining, self.ship_alive, self.ship = 6, True, [5.0, 20.0]
        self.fired, self.visible, self.armed, self.shot = False, False, True, [5.0, 20.0]
        self.running, self.start_ticks, self.start_time, self.wall_clock_set = False, 0, 0, 0
        self.rocks = [[True, speed, x, y] for speed, x, y in layout]
        self.heading = self.vx = self.vy = self.spin = self.step = self.impulse = 0.0
        self.last = self.left = self.right = self.thrust = self.left_at = self.right_at = self.thrust_at = 0

    def epoch(self, now):
        return EPOCH + self.wall_clock_set + now // 1000

    def input(self, now, kind, code):
        if kind == "w":
            self.wall_clock_set += code
        elif kind == "k" and code == 32 and not self.visible:
            self.running, self.start_ticks, self.start_time, self.armed = True, i32(now), self.epoch(now), True
        elif kind in "du" and code in (100, 101, 102):
            held = int(kind == "d")
            name = {100: "left", 101: "thrust", 102: "right"}[code]
            setattr(self, name, held)
            if held:
                setattr(self, name + "_at", i32(now))

    def update(self, now):
        ms = i32(now)
        dt = i32(ms - self.last)
        if self.ship_alive:
            if self.left:
                self.heading, self.left_at = f32(self.heading + i32(ms - self.left_at) * FLOAT_0_4), ms
            if self.right:
                self.heading, self.right_at = f32(self.heading - i32(ms - self.right_at) * FLOAT_0_4), ms
            if self.thrust:
                self.impulse = f32(i32(ms - self.thrust_at) * 0.00004)
                self.vx = f32(self.vx + math.cos(radians(self.heading)) * self.impulse)
                self.vy = f32(self.vy + math.sin(radians(self.heading)) * self.impulse)
                self.thrust_at = ms
            self.ship = [wrap(f32(self.ship[0] + dt * self.vx)), wrap(f32(self.ship[1] + dt * self.vy))]
            seconds = self.epoch(now) - self.start_time
            elapsed = float(seconds) if seconds >= 3600 else i32(now - self.start_ticks) / 1000.0
            if elapsed < FLOAT_0_4 and self.armed:
                self.fired = self.visible = True
                along, across = f32(math.cos(radians(self.heading))), f32(math.sin(radians(self.heading)))
                self.shot = [f32(self.shot[0] + along * 1.5), f32(self.shot[1] + across * 1.5)]
            else:
                self.running = self.fired = self.visible = False
                self.shot = list(self.ship)
        self.step = f32(dt * 0.0004)
        self.spin = f32(self.spin + dt * FLOAT_0_05)
        for rock in self.rocks:
            vx = f32(-1 * rock[1] + math.cos(radians(self.spin)) * self.step)
            vy = f32(rock[1] + math.sin(radians(self.spin)) * self.step)
            rock[2], rock[3] = wrap(f32(rock[2] + vx * self.step)), wrap(f32(rock[3] + vy * self.step))
        self.last = ms
        if self.ship_alive:
            ship, shot = [int(v) for v in self.ship], [int(v) for v in self.shot]
            for rock in (r for r in self.rocks if r[0]):
                if collides((int(rock[2]), int(rock[3])), ship):
                    self.ship_alive = rock[0] = False
                if collides((int(rock[2]), int(rock[3])), shot):
                    rock[0] = self.armed = False
                    self.remaining -= 1 if self.remaining else 0

    def words(self):
        named = [("asteroidsRemaining", self.remaining), ("ship.alive", self.ship_alive),
                 ("ship.x", bits(self.ship[0])), ("ship.y", bits(self.ship[1])), ("bullet.fired", self.fired),
                 ("bullet.visible", self.visible), ("bullet.armed", self.armed), ("bullet.x", bits(self.shot[0])),
                 ("bullet.y", bits(self.shot[1])), ("stopwatch.running", self.running),
                 ("stopwatch.startTicks", self.start_ticks), ("stopwatch.startTime", self.start_time)]
        for i, (alive, _, x, y) in enumerate(self.rocks):
            named += [(f"asteroids[{i}].alive", alive), (f"asteroids[{i}].x", bits(x)), (f"asteroids[{i}].y", bits(y))]
        named += [(name, bits(getattr(self, field))) for name, field in [
            ("heading", "heading"), ("velocityX", "vx"), ("velocityY", "vy"), ("spin", "spin"),
            ("asteroidStep", "step"), ("thrustImpulse", "impulse")]]
        named += [(name, getattr(self, field)) for name, field in [
            ("lastUpdateMs", "last"), ("leftHeld", "left"), ("rightHeld", "right"), ("thrustHeld", "thrust"),
            ("leftStampMs", "left_at"), ("rightStampMs", "right_at"), ("thrustStampMs", "thrust_at")]]
        return [(name, int(value) & 0xFFFFFFFF) for name, value in named]


def hashed(h, words):
    for word in words:
        h = ((h ^ word) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return h


def main():
    sessions = steps = 0
    for number, line in enumerate(sys.stdin, 1):
        kind, *fields = line.split()
        if kind == "L":
            floats = [struct.unpack("<f", struct.pack("<I", int(v, 16)))[0] for v in fields]
            world, session_hash = World(zip(floats[0::3], floats[1::3], floats[2::3])), 0xCBF29CE484222325
        elif kind == "K":
            world.input(int(fields[0]), fields[1], int(fields[2]))
        elif kind == "S":
            world.update(int(fields[0]))
            words = world.words()
            session_hash, steps = hashed(session_hash, [w for _, w in words]), steps + 1
            given = [int(v, 16) for v in fields[1:]]
            if given != ([w for _, w in words] if len(given) > 1 else [hashed(0xCBF29CE484222325, [w for _, w in words])]):
                print(f"rules_model: line {number}, the step at {fields[0]} ms departs from the rules", end="")
                print(":" if len(given) > 1 else " (replay with --words to see which fields)")
                for (name, expected), got in zip(words, given if len(given) > 1 else []):
                    if expected != got:
                        print(f"  {name}: {got:08x}, the rules give {expected:08x}")
                return 1
        elif kind == "E":
            print(f"session {sessions}: {session_hash:016x}")
            sessions += 1
    print(f"rules_model: {sessions} sessions, {steps} steps, every one as the rules give it")
    return 0


if __name__ == "__main__":
    sys.exit(main())
