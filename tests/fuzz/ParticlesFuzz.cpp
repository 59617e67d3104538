// Particle prototypes and emitters ("particles.txt"), handed to the
// effect manager as the game does when it starts.
#include "FuzzSupport.h"

#include "Render/ParticleFile.h"

std::vector<std::string> FuzzSeeds()
{
    return {"[iskra]\nkind = particles\neffectfile = particle.fx\ntexturefile1 = spark.tga\nlife = 0.4\n"
            "size = 0.15\ngrow = 0\ngravity = -9.8\ncount = 12\n\n"
            "[sparks]\nkind = emitter\neffect = iskra\ndirection = 0,0,1\nspeed = 6\ncone = 60\n"
            "spread = 0.1,0.1,0.1\nparam_a = 1\nparam_b = 2\nparam_d = 3\nvector_c = 0,0,1\nflag = 1\n",
            "// no sections\n[smoke]\nkind = particles\nlife = 0\n"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzRenderWorld world;
    WriteFuzzFile("Data/Effects/particles.txt", data, size);
    CPParticleFile::Load(CPParticleFile::kDefaultFile, world.effectManager);
    return 0;
}
