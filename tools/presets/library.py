"""The shipped body-brush presets: each is a category, a name, one line on
its look and the attributes where it differs from a new brush.

Widths: brushWidth x globalScale is the stroke width where the longer
window side is 1. Every body preset keeps globalScale at 0.1, so brushWidth
reads as tenths of the screen (0.2 is a stroke 2% of the width across).
Colours are 0..1. translucence 0 lights a stamp as a flat disc, above 0 it
blends toward the shading of a round tube.
"""


class Preset:
    def __init__(self, category, name, look, overrides, show="dark"):
        self.category = category
        self.name = name
        self.look = look
        self.overrides = overrides
        self.show = show  # the background the gallery paints it on


# What every body brush shares: no tubes, a round stamp (not a flat
# ribbon), lit from the upper left and a little from the viewer's side.
BODY = {
    "tubes": 0,
    "tubeCompletion": 0,
    "globalScale": 0.1,
    "brushWidth": 0.2,
    "stampDensity": 8,
    "softness": 0.3,
    "translucence": 0.4,
    "flatness1": 0,
    "flatness2": 0,
    "twist": 0,
    "specular": 0,
    "specularPower": 10,
    "lightDirectionX": 0.6,
    "lightDirectionY": -0.7,
    "lightDirectionZ": -0.3,
    "color1R": 0.5,
    "color1G": 0.5,
    "color1B": 0.5,
    "texUniformity": 1,
}


def rgb(prefix, r, g, b):
    return {prefix + "R": r, prefix + "G": g, prefix + "B": b}


def grey(prefix, v):
    return rgb(prefix, v, v, v)


def body(category, name, look, *parts, show="dark", **overrides):
    values = dict(BODY)
    for part in parts:
        values.update(part)
    values.update(overrides)
    return Preset(category, name, look, values, show)


# Building blocks.
UNLIT = {"illuminated": 0}
FLAT = {"depth": 0}
WHITE_SPECULAR = grey("specularColor", 1)


def texture(kind, method, colour1, colour2, **more):
    """A procedural texture whose two colours replace the brush colour
    (texColorScale 0 keeps the look when the brush colour drifts)."""
    values = {"mapColor": 1, "textureType": kind, "mapMethod": method, "texColorScale": 0}
    values.update(rgb("texColor1", *colour1))
    values.update(rgb("texColor2", *colour2))
    values.update(more)
    return values


PRESETS = [
    # -- basics: one plain feature each, for tests and as starting points --
    body("basics", "plainSoft", "A plain soft grey-blue round brush, gently shaded.",
         rgb("color1", 0.55, 0.6, 0.7), softness=0.6),
    body("basics", "plainGlow", "A soft warm brush with a wide yellow glow around it.",
         rgb("color1", 1.0, 0.75, 0.3), rgb("glowColor", 1.0, 0.7, 0.2), glow=0.6, glowSpread=1.8, softness=0.5),
    body("basics", "plainTexture", "A brush whose colour is a red and blue checker along the stroke.",
         texture(0, 2, (0.9, 0.3, 0.2), (0.2, 0.3, 0.8), repeatU=0.5, repeatV=2)),
    body("basics", "plainSmear", "Drags the paint under it along the stroke like a finger.",
         UNLIT, FLAT, brushType=1, softness=0.7, brushWidth=0.3),
    body("basics", "plainBlur", "Softens the paint under it.",
         UNLIT, FLAT, brushType=2, blurIntensity=4, softness=0.6, brushWidth=0.25),
    body("basics", "plainEraser", "Wipes back to the background colour.",
         UNLIT, FLAT, brushType=3, softness=0.4, brushWidth=0.3),

    # -- ink: wet and dry media --
    body("ink", "inkWash", "Broad, very soft, watery blue-black washes that darken where they overlap.",
         UNLIT, FLAT, rgb("color1", 0.12, 0.16, 0.26), grey("transparency1", 0.9),
         brushWidth=0.6, softness=1, stampDensity=6, show="bright"),
    body("ink", "sumiDryBrush", "Black ink dragged by a dry brush: streaks of bristles along the stroke.",
         UNLIT, FLAT, rgb("color1", 0.05, 0.05, 0.06), mapOpacity=1, textureType=3, mapMethod=2,
         repeatU=0.003, repeatV=0.35, fractalAmplitude=3, fractalRatio=0.6, fractalThreshold=-0.45,
         texOpacityScale=1, texAlpha1=1, texAlpha2=0, brushWidth=0.26, softness=0.3, stampDensity=4, show="bright"),
    body("ink", "feltMarker", "A hard-edged magenta felt marker, flat colour that builds up where it crosses.",
         UNLIT, FLAT, rgb("color1", 0.85, 0.1, 0.55), grey("transparency1", 0.25),
         brushWidth=0.22, softness=0, stampDensity=8),
    body("ink", "bubbleChain", "Chains of thin-walled cyan soap bubbles: hollow rings with a sheen.",
         WHITE_SPECULAR, rgb("color1", 0.45, 0.85, 0.95), grey("transparency1", 0.35),
         softness=-0.7, stampDensity=0.35, brushWidth=0.45, translucence=0.7, specular=0.6, specularPower=4),

    # -- light: incandescent and glowing brushes, best on dark --
    body("light", "neonTube", "A thin hot-pink neon tube with a white core and a wide pink glow.",
         UNLIT, FLAT, rgb("color1", 1.0, 0.55, 0.8), rgb("incandescence1", 0.5, 0.1, 0.3),
         rgb("glowColor", 1.0, 0.25, 0.7), glow=0.12, glowSpread=6, brushWidth=0.06, softness=0.4, stampDensity=3),
    body("light", "fireflyDots", "Dotted trails of little yellow-green lights, each with its own halo.",
         UNLIT, FLAT, rgb("color1", 0.75, 0.85, 0.15), rgb("incandescence1", 0.3, 0.35, 0.0),
         rgb("glowColor", 0.7, 1.0, 0.3), glow=0.4, glowSpread=5, brushWidth=0.08, softness=0.5,
         stampDensity=3, gapSize=0.9, gapSpacing=10),
    body("light", "auroraVeil", "Wide, faint sheets of green and teal light that brighten where they cross.",
         UNLIT, FLAT, rgb("color1", 0.2, 0.9, 0.6), grey("transparency1", 0.93),
         rgb("incandescence1", 0.006, 0.025, 0.018), brushWidth=0.9, softness=1, stampDensity=5),
    body("light", "lavaCrack", "Glowing molten rock: a fixed fractal of yellow and deep red shows through the strokes.",
         texture(3, 0, (1.0, 0.85, 0.2), (0.45, 0.02, 0.0), repeatU=0.15, repeatV=0.27, fractalAmplitude=1.3,
                 fractalRatio=0.55),
         rgb("incandescence1", 0.08, 0.02, 0.0), rgb("glowColor", 1.0, 0.4, 0.1), translucence=0.4,
         glow=0.04, glowSpread=1.6, brushWidth=0.22, softness=0.35, stampDensity=4),

    # -- relief: lighting, highlights and shadows --
    body("relief", "chromePipe", "Polished steel tubing: round, grey, with a bright white highlight.",
         WHITE_SPECULAR, rgb("color1", 0.25, 0.27, 0.3), translucence=0.1, specular=1.5, specularPower=8,
         lightDirectionX=0, lightDirectionY=0, lightDirectionZ=-1, brushWidth=0.3, softness=0.08, stampDensity=10),
    body("relief", "paperCutout", "Strips of cut orange paper lying on the picture, each casting a soft shadow.",
         UNLIT, rgb("color1", 0.95, 0.55, 0.2), fakeShadow=1, shadowOffset=0.12, shadowDiffusion=0.5,
         shadowTransparency=0.45, brushWidth=0.3, softness=0, stampDensity=8, depth=0),
    body("relief", "satinRibbon", "A twisting crimson satin ribbon whose turned-away side falls into shadow.",
         WHITE_SPECULAR, rgb("color1", 0.75, 0.08, 0.18), flatness1=1, flatness2=1, twist=0.8,
         backShadow=0.8, specular=0.5, specularPower=5, translucence=0.5, brushWidth=0.4, softness=0.1),
    body("relief", "clayCoil", "Thick terracotta coils that weave over and under one another.",
         rgb("color1", 0.78, 0.4, 0.25), translucence=0.3, brushWidth=0.45, softness=0.1, stampDensity=10,
         depth=1),

    # -- patterns: procedural textures and the four ways to map them --
    body("patterns", "racingChecker", "A black and white checkered ribbon that follows the stroke.",
         texture(0, 2, (0.95, 0.95, 0.95), (0.08, 0.08, 0.1), repeatU=0.4, repeatV=2), UNLIT, FLAT,
         brushWidth=0.25, softness=0.05),
    body("patterns", "candyRibbon", "Red and white bands that wrap across the stroke like a candy stick.",
         texture(2, 2, (1.0, 0.95, 0.95), (0.85, 0.05, 0.15), repeatU=0.25), brushWidth=0.25, softness=0.1),
    body("patterns", "sunsetBand", "Bands shaded across their width from gold on one edge to violet on the other.",
         texture(1, 2, (1.0, 0.75, 0.2), (0.35, 0.1, 0.5)), UNLIT, FLAT, brushWidth=0.4, softness=0.2),
    body("patterns", "marbleSlab", "Strokes uncover one still slab of white marble clouded with grey.",
         texture(3, 0, (0.97, 0.96, 0.93), (0.25, 0.27, 0.3), repeatU=0.12, repeatV=0.21, fractalAmplitude=3,
                 fractalRatio=0.6, smear=0.1, smearU=0.02, smearV=0.03),
         translucence=0.6, brushWidth=0.38, softness=0.25, stampDensity=6),
    body("patterns", "ginghamSash", "A pink and white gingham sash whose squares stay square to the screen.",
         texture(0, 1, (1.0, 0.97, 0.97), (0.9, 0.35, 0.5), repeatU=4, repeatV=4), translucence=0.35,
         brushWidth=0.35, softness=0.1),
    body("patterns", "braidedCord", "A round cord of cream and brown strands braided around it, shaded as a tube.",
         texture(0, 3, (0.9, 0.8, 0.55), (0.45, 0.3, 0.15), repeatU=1, repeatV=2), translucence=0.3,
         brushWidth=0.3, softness=0.1, stampDensity=10),

    # -- prints: brush images carried along the stroke --
    body("prints", "barkBand", "A broad band of ridged brown bark, the grain running along the stroke.",
         mapColor=1, textureType=4, imageName="barkRidges.iff", brushWidth=0.45, softness=0.1,
         translucence=0.8, **grey("color1", 1)),
    body("prints", "grassRibbon", "A shaded ribbon of green grass stripes running the length of the stroke.",
         mapColor=1, textureType=4, imageName="stripesGreen.bmp", brushWidth=0.6, softness=0.05,
         translucence=0.5, **grey("color1", 1)),
    body("prints", "petalScales", "Speckled orange petals laid one over the next along the stroke, like the scales of a fish.",
         UNLIT, FLAT, mapColor=1, mapOpacity=1, fringeRemoval=1, textureType=4, imageName="petalStriped.bmp",
         brushWidth=0.35, softness=0, stampDensity=6, **grey("color1", 1)),
    body("prints", "daisyChain", "A chain of white daisies with golden hearts, one after another along the stroke.",
         UNLIT, FLAT, mapColor=1, mapOpacity=1, fringeRemoval=1, textureType=4, imageName="daisyHead.rgb",
         brushWidth=0.26, softness=0, stampDensity=5, **grey("color1", 1)),
    body("prints", "pearlString", "Strings of small, soft cream pearls with a sheen; on tight curves they run into beaded bars.",
         mapColor=1, mapOpacity=1, textureType=4, imageName="softSpot.iff", brushWidth=0.2, softness=0,
         stampDensity=6, translucence=0.6, specular=0.6, specularPower=6, **rgb("color1", 0.95, 0.92, 0.88),
         **WHITE_SPECULAR),

    # -- dashes: gaps and time clipping --
    body("dashes", "roadDashes", "Crisp yellow dashes like road markings, long strokes with even breaks.",
         UNLIT, FLAT, rgb("color1", 1.0, 0.82, 0.15), brushWidth=0.1, softness=0, gapSize=0.45, gapSpacing=6),
    body("dashes", "dottedChalk", "Rows of chalky pale-blue dots with a grainy, broken edge.",
         UNLIT, FLAT, rgb("color1", 0.8, 0.9, 1.0), mapOpacity=1, textureType=3, mapMethod=0, repeatU=5.6,
         repeatV=10, fractalAmplitude=1.4, fractalThreshold=0.05, texAlpha1=1, texAlpha2=0, brushWidth=0.16, softness=0.3,
         gapSize=0.55, gapSpacing=1.6),
    body("dashes", "quillStrokes", "Short calligraphic strokes of brown ink that taper away at their ends.",
         UNLIT, FLAT, rgb("color1", 0.25, 0.15, 0.08), timeClip=1, strokeTime=1, startTime=0, endTime=16,
         time=16, flowSpeed=1, brushWidth=0.18, softness=0.1, show="bright"),

    # -- effects: brushes that work on the paint already there --
    body("effects", "fingerSmudge", "A wide soft smudge that drags the paint under it along the stroke.",
         UNLIT, FLAT, brushType=1, brushWidth=0.5, softness=0.8, stampDensity=6),
    body("effects", "frostedGlass", "Blurs what it passes over into a pale frosted trail.",
         UNLIT, FLAT, grey("incandescence1", 0.004), brushType=2, blurIntensity=6, brushWidth=0.45,
         softness=0.5, stampDensity=4),
    body("effects", "eraserRings", "Punches chains of rings back through the paint to the background.",
         UNLIT, FLAT, brushType=3, brushWidth=0.35, softness=-0.6, stampDensity=0.4),
]


# Short notes written beside attributes in every file.
NOTES = {
    "imageName": "texture image in ~brushImages (textureType 4)",
    "brushType": "0 paint, 1 smear, 2 blur, 3 erase",
    "depth": "paint in front of, within or under earlier paint",
    "illuminated": "lit by the light below",
    "tubes": "sow tubes along the stroke",
    "timeClip": "paint only a window of the stroke",
    "strokeTime": "the window moves along with the stroke",
    "textureType": "0 checker, 1 ramp u, 2 ramp v, 3 fractal, 4 image",
    "mapMethod": "0 screen, 1 screen from stroke start, 2 brush, 3 wrapped",
    "stampDensity": "stamps per stamp width",
    "softness": "0 hard, 1 soft, below 0 a hollow ring",
    "translucence": "0 lit flat, toward 1 lit as a round tube",
    "specular": "highlight strength",
    "fakeShadow": "0 none, 1 drop shadow, 2 cast shadow",
    "backShadow": "darkening where the light comes from behind",
    "glow": "glow strength",
    "glowSpread": "glow width in stamp widths",
    "blurIntensity": "blur passes per stamp",
    "brushWidth": "times globalScale: width where the long side is 1",
    "texUniformity": "1 texture by length, 0 by segment",
    "gapSize": "empty fraction of each gap period",
    "gapSpacing": "gap period along the stroke",
    "color1R": "stroke colour",
    "transparency1R": "stroke transparency per channel",
    "incandescence1R": "light the stroke adds",
    "repeatU": "texture repeats along",
    "repeatV": "texture repeats across",
    "texColor1R": "texture colour at pattern 1",
    "texColor2R": "texture colour at pattern 0",
}
