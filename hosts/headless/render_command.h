// `tarn-flourish render ...`: the arguments after "render"; the exit code.
#pragma once

int RunRenderCommand(int argc, const char* const* argv);
