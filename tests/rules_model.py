#!/usr/bin/env python3
"""The game's rules written a second time, from their description rather than from the C++ code: fed
`replay_sessions [--words]`, it requires the same world after every step, prints each session's hash,
and names the fields of a step that departs when given the words. Python's floats are IEEE doubles and
its math.cos and math.sin the C library's, so on the same C library the two agree bit for bit."""
import math
import struct
import sys

PI, EPOCH = 3.141592653589793, 1_800_000_000  # EPOCH: the replay's wall clock, in seconds, at its 0 ms
ARROWS = {100: "left", 101: "thrust", 102: "right"}


def f32(x):
    """Rounds a double to the nearest float, overflowing to infinity."""
    try:
        return struct.unpack("<f", struct.pack("<f", x))[0]
    except OverflowError:
        return math.copysign(math.inf, x)


F0_4, F0_05 = f32(0.4), f32(0.05)  # the turn rate and the shot's lifetime; the spin rate


def i32(x):
    return (x + 2**31) % 2**32 - 2**31


def cos_sin(degrees):
    return math.cos(degrees * PI / 180.0), math.sin(degrees * PI / 180.0)


def wrap(v):
    q = f32(v / 50.0)
    return f32((q - f32(float(math.floor(q)))) * 50.0)


def collides(x1, y1, x2, y2):
    """Two centres on the integer grid, radius 1 each, in one quadrant of the field."""
    left, right = x1 < 25 and x2 < 25, x1 > 25 and x2 > 25
    upper, lower = 25 < y1 < 50 and 25 < y2 < 50, 0 < y1 < 25 and 0 < y2 < 25
    dx, dy = float(x2 - x1), float(y2 - y1)
    return (left or right) and (upper or lower) and 2 >= int(math.sqrt(dx * dx + dy * dy))


class World:
    """The world's fields, set in the order replay_sessions prints them and named as in the C++ code but
    for a dot (each asteroid's alive, x and y come where `asteroids` is); the model's own start with _."""

    def __init__(self, layout):
        self.asteroidsRemaining, self.ship_alive, self.ship_x, self.ship_y = 6, True, 5.0, 20.0
        self.bullet_fired, self.bullet_visible, self.bullet_armed, self.bullet_x, self.bullet_y = False, False, True, 5.0, 20.0
        self.stopwatch_running, self.stopwatch_startTicks, self.stopwatch_startTime = False, 0, 0
        self.asteroids = [{"alive": True, "x": x, "y": y} for x, y in zip(layout[1::3], layout[2::3])]
        self.heading = self.velocityX = self.velocityY = self.spin = self.asteroidStep = self.thrustImpulse = 0.0
        self.lastUpdateMs = self.leftHeld = self.rightHeld = self.thrustHeld = 0
        self.leftStampMs = self.rightStampMs = self.thrustStampMs = 0
        self._speeds, self._clock_set = layout[0::3], 0  # and the seconds by which the wall clock was set

    def words(self):
        """(name, word) for every field: floats by their bits, flags and integers by their value."""
        named = []
        for name, v in vars(self).items():
            if name == "asteroids":
                named += [(f"asteroids[{i}].{k}", x) for i, rock in enumerate(v) for k, x in rock.items()]
            elif not name.startswith("_"):
                named.append((name.replace("_", "."), v))
        return [(n, struct.unpack("<I", struct.pack("<f", v))[0] if isinstance(v, float) else int(v) & 0xFFFFFFFF)
                for n, v in named]

    def input(self, now, kind, code):
        if kind == "w":
            self._clock_set += code
        elif kind == "k" and code == 32 and not self.bullet_visible:
            self.stopwatch_running, self.stopwatch_startTicks, self.bullet_armed = True, i32(now), True
            self.stopwatch_startTime = EPOCH + self._clock_set + now // 1000
        elif kind in "du" and code in ARROWS:
            setattr(self, ARROWS[code] + "Held", int(kind == "d"))
            if kind == "d":
                setattr(self, ARROWS[code] + "StampMs", i32(now))

    def update(self, now):
        ms, dt = i32(now), i32(now - self.lastUpdateMs)
        if self.ship_alive:  # a struck ship freezes, and its heading, velocity and shot with it
            if self.leftHeld:
                self.heading, self.leftStampMs = f32(self.heading + i32(ms - self.leftStampMs) * F0_4), ms
            if self.rightHeld:
                self.heading, self.rightStampMs = f32(self.heading - i32(ms - self.rightStampMs) * F0_4), ms
            if self.thrustHeld:
                self.thrustImpulse, self.thrustStampMs = f32(i32(ms - self.thrustStampMs) * 0.00004), ms
                cos, sin = cos_sin(self.heading)
                self.velocityX = f32(self.velocityX + cos * self.thrustImpulse)
                self.velocityY = f32(self.velocityY + sin * self.thrustImpulse)
            self.ship_x = wrap(f32(self.ship_x + dt * self.velocityX))
            self.ship_y = wrap(f32(self.ship_y + dt * self.velocityY))
            seconds = EPOCH + self._clock_set + now // 1000 - self.stopwatch_startTime
            elapsed = float(seconds) if seconds >= 3600 else i32(now - self.stopwatch_startTicks) / 1000.0
            if elapsed < F0_4 and self.bullet_armed:
                cos, sin = cos_sin(self.heading)
                self.bullet_fired = self.bullet_visible = True
                self.bullet_x, self.bullet_y = f32(self.bullet_x + f32(cos) * 1.5), f32(self.bullet_y + f32(sin) * 1.5)
            else:
                self.stopwatch_running = self.bullet_fired = self.bullet_visible = False
                self.bullet_x, self.bullet_y = self.ship_x, self.ship_y
        self.asteroidStep, self.spin = f32(dt * 0.0004), f32(self.spin + dt * F0_05)
        step, (cos, sin) = self.asteroidStep, cos_sin(self.spin)
        for speed, rock in zip(self._speeds, self.asteroids):
            vx, vy = f32(-1 * speed + cos * step), f32(speed + sin * step)
            rock["x"], rock["y"] = wrap(f32(rock["x"] + vx * step)), wrap(f32(rock["y"] + vy * step))
        self.lastUpdateMs = ms
        if self.ship_alive:
            ship, shot = (int(self.ship_x), int(self.ship_y)), (int(self.bullet_x), int(self.bullet_y))
            for rock in (r for r in self.asteroids if r["alive"]):
                if collides(int(rock["x"]), int(rock["y"]), *ship):
                    self.ship_alive = rock["alive"] = False
                if collides(int(rock["x"]), int(rock["y"]), *shot):
                    rock["alive"] = self.bullet_armed = False
                    self.asteroidsRemaining -= 1 if self.asteroidsRemaining else 0


def hashed(words, h=0xCBF29CE484222325):
    for word in words:
        h = ((h ^ word) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return h


# Replays what replay_sessions printed, line by line.
sessions = steps = 0
for number, line in enumerate(sys.stdin, 1):
    kind, *fields = line.split()
    if kind == "L":
        world, session_hash = World([struct.unpack("<f", struct.pack("<I", int(v, 16)))[0] for v in fields]), hashed([])
    elif kind == "K":
        world.input(int(fields[0]), fields[1], int(fields[2]))
    elif kind == "S":
        world.update(int(fields[0]))
        names, words = zip(*world.words())
        session_hash, steps, given = hashed(words, session_hash), steps + 1, [int(v, 16) for v in fields[1:]]
        if given != (list(words) if len(given) > 1 else [hashed(words)]):
            departed = [f"\n  {n}: {g:08x}, the rules give {w:08x}" for n, w, g in zip(names, words, given) if w != g]
            sys.exit(f"rules_model: line {number}, the step at {fields[0]} ms departs from the rules"
                     + ("".join(departed) if len(given) > 1 else " (replay with --words to see which fields)"))
    elif kind == "E":
        print(f"session {sessions}: {session_hash:016x}")
        sessions += 1
print(f"rules_model: {sessions} sessions, {steps} steps, every one as the rules give it")
