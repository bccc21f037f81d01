# The two commands of the README. Both install what they need first.
.PHONY: run test bench setup clean

test:
	bash tools/test.sh

run:
	bash tools/run.sh

bench:
	bash tools/bench.sh $(ONLY)

setup:
	bash tools/setup.sh

clean:
	rm -rf build
